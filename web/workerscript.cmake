# Writes the page's engine script: the engine's module as emscripten built
# it (MODULE) and the worker that runs it (WORKER) as the body of one
# function, vintropWorker(), which the page starts as a worker from the
# function's own text: a page opened from the disk may not start a worker
# from a file.
#   cmake -DMODULE=... -DWORKER=... -DOUTPUT=... -P workerscript.cmake
file(READ "${MODULE}" module)
file(READ "${WORKER}" worker)
file(WRITE "${OUTPUT}.part" "function vintropWorker() {\n${module}\n${worker}}\n")
file(RENAME "${OUTPUT}.part" "${OUTPUT}")

// vintrop-run: runs a scenario file without any window and prints what
// happens as CSV lines, for scripts and for checking the engine from outside.
//
//   vintrop-run [--box WIDTH HEIGHT] [--elasticity PERCENT] [--steps N] [--back M] [--plain] [--totals]
//               [--speeds BINS] [--quiet] SCENARIO
//
// The box is WIDTH x HEIGHT twips when given, else the scenario's own box,
// else the main window's initial 8085 x 4230. The elasticity is PERCENT when
// given (a whole number from 0 to 100), else the scenario's own, else 100.
// Output (standard output, "." as decimal point, floats with 9 significant
// digits so that each reads back to the same 32-bit float):
//   collision,T,ID1,ID2,M1,M2,X1,Y1,X2,Y2,V1X,V1Y,V2X,V2Y   at each BeforeCollision
//   resolved,T,ID1,ID2,V1X,V1Y,V2X,V2Y                       at each AfterCollision
// (both left out with --quiet, which still counts the collisions)
//   totals,T,ENERGY,PX,PY                 after each step, with --totals only
//   bowl,ID,X,Y,VX,VY                                        per bowl after the last step
//   speeds,LOW,HIGH,COUNT              per bin after the bowl lines, with --speeds only
//   end,T,COLLISIONS,ENERGY                                  last line
// The speeds lines count the bowls of the most common mass (equal counts: the
// lighter) after the last step, in BINS (1 to 1000) equal bins from 0 to
// three times their root-mean-square speed sqrt(2 kT / m), kT their mean
// kinetic energy; the last bin also counts the faster ones.
// Exit status: 0 done, 2 scenario unreadable, 3 a step failed (or would:
// a scenario too large to step is refused before its first step), 64 bad
// arguments, 74 standard output could not be written.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>

#include "clock.h"
#include "csvlistener.h"
#include "envengine.h"
#include "initialbox.h"
#include "numbertext.h"
#include "outputbuffer.h"
#include "scenarioinput.h"
#include "speeds.h"
#include "totals.h"
#include "vintroperror.h"

namespace {

using namespace vintrop;

enum ExitStatus : int {
    kExitOk = 0,
    kExitBadScenario = 2,
    kExitStepFailed = 3,
    kExitUsage = 64,
    kExitOutputFailed = 74,
};

const char* const kUsage = "usage: vintrop-run [--box WIDTH HEIGHT] [--elasticity PERCENT] [--steps N] [--back M] [--plain] [--totals] [--speeds BINS] [--quiet] SCENARIO";

constexpr uint64_t kMaxSpeedBins = 1000;

struct Options {
    std::optional<BoxSize> box;   // --box, twips; else the scenario's own, else the initial box
    std::optional<int16_t> elasticity;   // --elasticity, percent; else the scenario's own
    uint64_t steps = 0;   // forward steps
    uint64_t back = 0;    // back steps, after the forward ones
    bool plain = false;   // check every ordered pair instead of the indexed loop
    bool totals = false;  // a totals line after every step
    int speeds = 0;       // bins of the speed histogram after the last step; 0: none
    bool quiet = false;   // no collision and resolved lines
    std::string scenario;
};

// A whole number of steps: decimal digits only.
std::optional<uint64_t> ParseCount(const char* text) {
    uint64_t v = 0;
    const char* end = text + std::strlen(text);
    const auto res = std::from_chars(text, end, v);
    if (res.ec != std::errc() || res.ptr != end || end == text) return std::nullopt;
    return v;
}

// An elasticity in percent: a whole number from 0 to 100, digits only.
std::optional<int16_t> ParsePercent(const char* text) {
    const auto n = ParseCount(text);
    if (!n || *n > static_cast<uint64_t>(CEnvEng::kFullyElastic)) return std::nullopt;
    return static_cast<int16_t>(*n);
}

// A box size in twips: a decimal number ("-0" included, no "+" or blanks)
// that is non-negative and fits a float.
std::optional<float> ParseSize(const char* text) {
    double v = 0;
    const bool negative = *text == '-';
    if (ReadDecimal(text + negative, text + std::strlen(text), v) != std::errc()) return std::nullopt;
    if (negative) v = -v;
    if (v < 0 || v > 3.4028234663852886e38) return std::nullopt;
    return static_cast<float>(v);
}

// Fills `opt` from the arguments; returns an error text for a usage failure.
std::optional<std::string> ParseArgs(int argc, char** argv, Options& opt, bool& help) {
    bool haveScenario = false;
    bool optionsEnded = false;
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        const auto needValues = [&](int n) { return k + n < argc; };
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            help = true;
        } else if (!optionsEnded && arg == "--box") {
            if (!needValues(2)) return "--box needs WIDTH and HEIGHT";
            const auto w = ParseSize(argv[k + 1]);
            const auto h = ParseSize(argv[k + 2]);
            if (!w || !h) return "--box needs two non-negative numbers";
            opt.box = BoxSize{*w, *h};
            k += 2;
        } else if (!optionsEnded && arg == "--elasticity") {
            if (!needValues(1)) return "--elasticity needs PERCENT";
            const auto e = ParsePercent(argv[k + 1]);
            if (!e) return "--elasticity needs a whole number from 0 to 100";
            opt.elasticity = *e;
            ++k;
        } else if (!optionsEnded && (arg == "--steps" || arg == "--back")) {
            if (!needValues(1)) return arg + " needs a number";
            const auto n = ParseCount(argv[k + 1]);
            if (!n) return arg + " needs a whole number of steps, 0 or more";
            (arg == "--steps" ? opt.steps : opt.back) = *n;
            ++k;
        } else if (!optionsEnded && arg == "--speeds") {
            if (!needValues(1)) return "--speeds needs BINS";
            const auto n = ParseCount(argv[k + 1]);
            if (!n || *n < 1 || *n > kMaxSpeedBins) return "--speeds needs a whole number of bins from 1 to 1000";
            opt.speeds = static_cast<int>(*n);
            ++k;
        } else if (!optionsEnded && arg == "--plain") {
            opt.plain = true;
        } else if (!optionsEnded && arg == "--totals") {
            opt.totals = true;
        } else if (!optionsEnded && (arg == "--quiet" || arg == "-q")) {
            opt.quiet = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            return "unknown option " + arg;
        } else {
            if (haveScenario) return "only one SCENARIO may be given";
            opt.scenario = arg;
            haveScenario = true;
        }
    }
    if (!haveScenario && !help) return "no SCENARIO given";
    return std::nullopt;
}

std::string Describe(const VintropError& e) {
    return e.Description() + " (error " + std::to_string(e.Number()) + ")";
}

int OutputFailed(const OutputBuffer& out) {
    std::cerr << "vintrop-run: could not write the output: " << std::strerror(out.Error()) << '\n';
    return kExitOutputFailed;
}

// totals,T,ENERGY,PX,PY: the scene's kinetic energy and momentum after a step.
void PrintTotals(OutputBuffer& out, const CEnvEng& engine) {
    const Totals sum = TotalsOf(engine);
    out.Text("totals,").Int(engine.t);
    for (double v : {sum.energy, sum.px, sum.py}) out.Char(',').Float(v);
    out.EndLine();
}

// speeds,LOW,HIGH,COUNT: one line per bin of the speed histogram.
void PrintSpeeds(OutputBuffer& out, const CEnvEng& engine, int bins) {
    const SpeedHistogram h = SpeedHistogramOf(engine, bins);
    for (std::size_t i = 0; i < h.counts.size(); ++i) {
        out.Text("speeds,").Float(static_cast<double>(i) * h.width).Char(',');
        out.Float(static_cast<double>(i + 1) * h.width).Char(',').Int(h.counts[i]).EndLine();
    }
}

int Run(const Options& opt) {
    ManualClock clock;
    CEnvEng engine;
    engine.init(clock);
    engine.Reset();
    engine.SetPlainLoop(opt.plain);

    // Reading: nothing reaches standard output unless the whole file is good.
    try {
        const auto in = OpenScenarioFile(opt.scenario);
        if (!engine.SerializeIn(*in)) {
            const auto& e = engine.LastReadError();
            std::cerr << "vintrop-run: " << opt.scenario;
            if (e && e->Line() > 0) std::cerr << ": line " << e->Line();
            std::cerr << ": " << (e ? Describe(*e) : std::string("unreadable")) << '\n';
            return kExitBadScenario;
        }
    } catch (const VintropError& e) {
        std::cerr << "vintrop-run: " << opt.scenario << ": " << Describe(e) << '\n';
        return kExitBadScenario;
    } catch (const std::exception& e) {
        std::cerr << "vintrop-run: " << opt.scenario << ": " << e.what() << '\n';
        return kExitBadScenario;
    }

    // --elasticity wins over the scenario's own.
    if (opt.elasticity) engine.SetElasticity(*opt.elasticity);
    if (opt.back > 0 && !engine.CanReverse()) {
        std::cerr << "vintrop-run: --back needs 100 % elasticity: a collision that loses energy cannot be stepped back\n"
                  << kUsage << '\n';
        return kExitUsage;
    }
    // --box wins over the scenario's own box, which wins over the default.
    const BoxSize box = opt.box ? *opt.box : engine.FixedBox().value_or(BoxSize{kInitialBoxWidth, kInitialBoxHeight});
    engine.MaxX = box.width;
    engine.MaxY = box.height;
    // A scenario whose steps would all fail is refused before the first.
    if (const auto refusal = engine.StepRefusal(); refusal && (opt.steps > 0 || opt.back > 0)) {
        std::cerr << "vintrop-run: " << opt.scenario << ": " << engine.BowlCount()
                  << " bowls cannot be stepped (a step takes at most " << CEnvEng::kMaxBowlsStepped
                  << "): " << Describe(*refusal) << '\n';
        return kExitStepFailed;
    }
    OutputBuffer out(1);
    CsvListener csv(engine, out, !opt.quiet);
    engine.Attach(&csv);

    // Stepping: a failing step keeps the lines printed so far. Once the
    // output cannot be written there is no point in going on.
    const char* direction = "forward";
    try {
        for (uint64_t k = 0; k < opt.steps && !out.Failed(); ++k) {
            engine.Advance();
            if (opt.totals) PrintTotals(out, engine);
        }
        direction = "back";
        for (uint64_t k = 0; k < opt.back && !out.Failed(); ++k) {
            engine.Reverse();
            if (opt.totals) PrintTotals(out, engine);
        }

        for (int i = 1; i <= engine.BowlCount(); ++i) {
            const CBowl& b = engine.GetBowl(i);
            out.Text("bowl,").Int(b.Id);
            for (float v : {b.x, b.y, b.Vx, b.Vy}) out.Char(',').Float(v);
            out.EndLine();
        }
        if (opt.speeds > 0) PrintSpeeds(out, engine, opt.speeds);
        out.Text("end,").Int(engine.t).Char(',').Int(static_cast<int64_t>(csv.Collisions()));
        out.Char(',').Float(engine.EnCinTot()).EndLine();
    } catch (const std::exception& e) {
        if (!out.Flush()) return OutputFailed(out);
        const auto* vintropError = dynamic_cast<const VintropError*>(&e);
        std::cerr << "vintrop-run: " << opt.scenario << ": " << direction << " step at t=" << engine.t
                  << " failed: " << (vintropError ? Describe(*vintropError) : std::string(e.what())) << '\n';
        return kExitStepFailed;
    }
    if (!out.Flush()) return OutputFailed(out);
    return kExitOk;
}

} // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    Options opt;
    bool help = false;
    if (const auto problem = ParseArgs(argc, argv, opt, help)) {
        std::cerr << "vintrop-run: " << *problem << '\n' << kUsage << '\n';
        return kExitUsage;
    }
    if (help) {
        std::cout << kUsage << '\n';
        return kExitOk;
    }
    return Run(opt);
}

#pragma once
// Whether a key press produces a character: letters, digits, punctuation,
// space, Enter, Esc, Backspace (and control characters such as Ctrl+C). Keys
// without a character code (arrows, function keys, Shift or Ctrl alone) do
// not, nor does Delete, which is an editing key rather than a character.
#include <QKeyEvent>

namespace vintrop {

inline bool ProducesCharacter(const QKeyEvent* event) {
    const QString text = event->text();
    if (text.isEmpty()) return false;
    return text.at(0).unicode() != 0x7f && event->key() != Qt::Key_Delete;
}

} // namespace vintrop

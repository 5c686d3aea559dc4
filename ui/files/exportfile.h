#pragma once
// An export as every window makes one: the export dialog, then the window's
// writer; a failed write is logged and shown, a cancelled dialog does nothing.
#include <QString>
#include <functional>

class QWidget;

namespace vintrop {

// Writes the export to `path`; false with the reason in `why`.
using ExportWriter = std::function<bool(const QString& path, QString* why)>;

// Offers `fileName` in the home folder, as a file of the type `filter`
// names ("CSV (*.csv)"), adding `suffix` to a name typed without one. A
// failure shows "Errore scrittura File".
void ExportFile(QWidget* parent, const QString& fileName, const ExportWriter& write,
                const QString& filter = QStringLiteral("CSV (*.csv)"), const QString& suffix = QStringLiteral("csv"));

} // namespace vintrop

#include "f_explanation.h"

#include <QFile>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QResizeEvent>

#include "twips.h"
#include "utility.h"
#include "version.h"

namespace vintrop {

QString F_EXPLANATION::ExplanationText() {
    QFile file(QStringLiteral(":/info/resources/vintrop.txt"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

F_EXPLANATION::F_EXPLANATION(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("F_EXPLANATION"));
    setWindowTitle(version::Title + QStringLiteral(" Help"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(twips::ToPixels(10740), twips::ToPixels(7665));

    m_Text1 = new QPlainTextEdit(this);
    m_Text1->setObjectName(QStringLiteral("Text1"));
    m_Text1->setReadOnly(true);
    m_Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_Text1->setAccessibleName(windowTitle());
    // The ASCII drawings need a fixed-pitch font.
    QFont font(QStringLiteral("Courier"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSizeF(9.75);
    if (!QFontInfo(font).fixedPitch()) {
        const qreal size = font.pointSizeF();
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSizeF(size);
    }
    m_Text1->setFont(font);
    QPalette palette = m_Text1->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    m_Text1->setPalette(palette);
    // Tab stops every eight character cells, as the text was laid out.
    m_Text1->setTabStopDistance(8 * QFontMetricsF(font).horizontalAdvance(QLatin1Char(' ')));
    // The editor keeps lines as blocks; CR LF becomes one line break.
    QString text = ExplanationText();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_Text1->setPlainText(text);
    m_Text1->moveCursor(QTextCursor::Start);

    CenterForm(this);
}

void F_EXPLANATION::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The text box covers the whole client area at 0, 0.
    m_Text1->setGeometry(0, 0, width(), height());
}

} // namespace vintrop

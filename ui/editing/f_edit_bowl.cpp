#include "f_edit_bowl.h"

#include <QApplication>
#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>
#include <algorithm>
#include <utility>
#include <exception>
#include <new>

#include "appstate.h"
#include "drawdevice.h"
#include "envengine.h"
#include "errortext.h"
#include "guarded.h"
#include "numberformat.h"
#include "numeric.h"
#include "placement.h"
#include "placementtext.h"
#include "prompt.h"
#include "scenerenderer.h"
#include "twips.h"
#include "vintroperror.h"

namespace vintrop {

namespace {
constexpr double kClientWidthTwips = 4995;
constexpr double kClientHeightTwips = 2085;
constexpr int kPictureSize = 32;   // pixels, drawn in the top-left corner

// Longest text the user may type into each field.
constexpr int kMassLength = 4;
constexpr int kPositionLength = 4;

const char* const kTypingLimit = "typingLimit";

// The window itself: a plain dialog whose background picture (the mode's
// 32 x 32 image) sits in its top-left corner.
class EditBowlWindow : public QDialog {
public:
    explicit EditBowlWindow(QWidget* owner) : QDialog(owner) {}
    void SetPicture(const QString& resource) {
        m_Picture.load(resource);
        update();
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QDialog::paintEvent(event);
        if (!m_Picture.isValid()) return;
        QPainter painter(this);
        m_Picture.render(&painter, QRectF(0, 0, kPictureSize, kPictureSize));
    }

private:
    QSvgRenderer m_Picture;
};

QString PictureResource(const QString& key) {
    if (key == QLatin1String("PC_ADD")) return QStringLiteral(":/editing/resources/pc_add.svg");
    if (key == QLatin1String("PC_PROPERTY")) return QStringLiteral(":/editing/resources/pc_property.svg");
    return QStringLiteral(":/editing/resources/pc_remove.svg");
}

// Writes a text into a field without cutting it: a value shown from a
// scenario file may be longer than what the user may type. Once the user
// has shortened it, the typing limit applies again.
void SetFieldText(QLineEdit* field, const QString& text) {
    const int limit = field->property(kTypingLimit).toInt();
    field->setMaxLength(std::max(limit, static_cast<int>(text.size())));
    field->setText(text);
}

QLineEdit* MakeField(QWidget* parent, const char* name, int limit) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    field->setProperty(kTypingLimit, limit);
    field->setMaxLength(limit);
    field->setAlignment(Qt::AlignRight);
    // Wide enough for a few more characters than may be typed.
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("-00000000")) + 12);
    QObject::connect(field, &QLineEdit::textEdited, field, [field, limit](const QString& text) {
        if (text.size() <= limit) field->setMaxLength(limit);
    });
    return field;
}

// A field's text as a number: optional sign, digits, decimal point and
// exponent, as in a scenario file. A stored value is shown in the user's
// locale, so its decimal mark, signs and digits are read as well: what the
// dialog shows reads back as the same value. Throws TypeMismatch otherwise.
double FieldValue(const QLineEdit* field) {
    QString text = field->text();
    const QLocale locale;
    text.replace(locale.decimalPoint(), QStringLiteral("."));
    text.replace(locale.negativeSign(), QStringLiteral("-"));
    text.replace(locale.positiveSign(), QStringLiteral("+"));
    const QString zero = locale.zeroDigit();
    if (zero.size() == 1 && zero != QLatin1String("0"))
        for (char16_t d = 0; d < 10; ++d) text.replace(QChar(zero.at(0).unicode() + d), QChar(u'0' + d));
    return ParseNumber(text.toStdString());
}
} // namespace

F_EDIT_BOWL::F_EDIT_BOWL(QObject* parent) : QObject(parent) {}

F_EDIT_BOWL::~F_EDIT_BOWL() { delete m_Window; }

F_EDIT_BOWL& EditBowlDialog() {
    static F_EDIT_BOWL dialog;
    return dialog;
}

bool F_EDIT_BOWL::Display(int32_t EditType, int vIndex, IDrawDevice* pDrawDevice, QWidget* owner) {
    if (!Load(EditType, vIndex, pDrawDevice, owner)) return false;
    return Run();
}

bool F_EDIT_BOWL::Run() {
    m_Window->exec();
    delete m_Window;
    return m_Result;
}

bool F_EDIT_BOWL::DisplayNewAt(int vIndex, int x, int y, IDrawDevice* pDrawDevice, QWidget* owner) {
    if (!Load(kAdd, vIndex, pDrawDevice, owner)) return false;
    const std::pair<QLineEdit*, int> values[] = {{m_txM, 1}, {m_txX0, x}, {m_txY0, y}, {m_txVx0, 0}, {m_txVy0, 0}};
    for (const auto& [field, value] : values) SetFieldText(field, QString::number(value));
    return Run();
}

bool F_EDIT_BOWL::Load(int32_t EditType, int vIndex, IDrawDevice* pDrawDevice, QWidget* owner) {
    m_Result = false;
    m_EditType = EditType;
    m_pDrawDevice = pDrawDevice;
    m_pBowl = nullptr;
    m_Index = 0;
    delete m_Window;   // the previous opening's window, before choosing an owner
    if (!owner) owner = QApplication::activeWindow();
    BuildWindow(owner);

    const QString number = QString::number(vIndex);
    try {
        switch (EditType) {
        case kProperty:
        case kRemove:
            if (!g_pEnvEng) err::Raise(err::ObjectNotSet);
            m_pBowl = &g_pEnvEng->GetBowl(vIndex);
            m_Index = static_cast<int16_t>(vIndex);   // a position: 1..32767
            ShowBowl(*m_pBowl);
            if (EditType == kProperty) {
                m_Window->setWindowTitle(QStringLiteral("Bowl nr. ") + number + QStringLiteral(" property"));
                m_PictureKey = QStringLiteral("PC_PROPERTY");
            } else {
                m_Window->setWindowTitle(QStringLiteral("Elimina palla ") + number);
                m_PictureKey = QStringLiteral("PC_REMOVE");
                for (QLineEdit* f : {m_txM, m_txX0, m_txY0, m_txVx0, m_txVy0}) f->setEnabled(false);
                m_btOK->setFocus();
            }
            break;
        default:
            m_EditType = kAdd;
            m_Window->setWindowTitle(QStringLiteral("Insert Bowl nr. ") + number);
            m_PictureKey = QStringLiteral("PC_ADD");
            break;
        }
    } catch (...) {
        m_pBowl = nullptr;
        Prompt::Error(owner, UserTextOf(std::current_exception()));
        delete m_Window;
        return false;
    }
    static_cast<EditBowlWindow*>(m_Window.data())->SetPicture(PictureResource(m_PictureKey));
    return true;
}

void F_EDIT_BOWL::BuildWindow(QWidget* owner) {
    auto* window = new EditBowlWindow(owner);
    m_Window = window;
    window->setObjectName(QStringLiteral("F_EDIT_BOWL"));
    window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    window->setModal(true);

    m_txM = MakeField(window, "tx_M", kMassLength);
    m_txX0 = MakeField(window, "tx_X0", kPositionLength);
    m_txY0 = MakeField(window, "tx_Y0", kPositionLength);
    m_txVx0 = MakeField(window, "tx_Vx0", kVelocityFieldLength);
    m_txVy0 = MakeField(window, "tx_Vy0", kVelocityFieldLength);
    m_btOK = new QPushButton(QStringLiteral("OK"), window);
    m_btOK->setObjectName(QStringLiteral("bt_OK"));
    m_btOK->setDefault(true);
    m_btCancel = new QPushButton(QStringLiteral("Annulla"), window);
    m_btCancel->setObjectName(QStringLiteral("bt_Cancel"));

    const auto label = [window](const char* text, QLineEdit* buddy) {
        auto* l = new QLabel(QString::fromUtf8(text), window);
        l->setBuddy(buddy);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return l;
    };

    // Left column: the picture's corner, "M =" and its field, then OK above
    // Annulla. Right column: the initial position and velocity.
    auto* grid = new QGridLayout(window);
    grid->addItem(new QSpacerItem(kPictureSize - grid->contentsMargins().left() + 2, kPictureSize,
                                  QSizePolicy::Fixed, QSizePolicy::Fixed),
                  0, 0);
    grid->addWidget(label("M =", m_txM), 0, 1);
    grid->addWidget(m_txM, 0, 2);
    grid->addWidget(m_btOK, 2, 0, 1, 3);
    grid->addWidget(m_btCancel, 3, 0, 1, 3);
    grid->setColumnMinimumWidth(3, 16);
    grid->addWidget(label("Xo =", m_txX0), 0, 4);
    grid->addWidget(m_txX0, 0, 5);
    grid->addWidget(label("Yo =", m_txY0), 1, 4);
    grid->addWidget(m_txY0, 1, 5);
    grid->addWidget(label("Vxo =", m_txVx0), 2, 4);
    grid->addWidget(m_txVx0, 2, 5);
    grid->addWidget(label("Vyo =", m_txVy0), 3, 4);
    grid->addWidget(m_txVy0, 3, 5);

    QWidget::setTabOrder(m_txM, m_txX0);
    QWidget::setTabOrder(m_txX0, m_txY0);
    QWidget::setTabOrder(m_txY0, m_txVx0);
    QWidget::setTabOrder(m_txVx0, m_txVy0);
    QWidget::setTabOrder(m_txVy0, m_btOK);
    QWidget::setTabOrder(m_btOK, m_btCancel);
    m_txM->setFocus();

    connect(m_btOK, &QPushButton::clicked, this, GuardedSlot(window, [this] { bt_OK_Click(); }));
    connect(m_btCancel, &QPushButton::clicked, this, &F_EDIT_BOWL::bt_Cancel_Click);

    const QSize design(twips::ToPixels(kClientWidthTwips), twips::ToPixels(kClientHeightTwips));
    window->setFixedSize(design.expandedTo(window->sizeHint()));
}

void F_EDIT_BOWL::ShowBowl(const CBowl& bowl) {
    // The values as the bowl editor's list shows a mass, so both windows
    // show the same text ("1E-07" for a tiny value).
    SetFieldText(m_txM, fmt::General(bowl.M()));
    SetFieldText(m_txX0, fmt::General(bowl.Xo()));
    SetFieldText(m_txY0, fmt::General(bowl.Yo()));
    SetFieldText(m_txVx0, fmt::General(bowl.Vxo()));
    SetFieldText(m_txVy0, fmt::General(bowl.Vyo()));

    // The bowl's own colour as background; the labels take the colour the
    // scene gives a number on that bowl.
    QPalette palette = m_Window->palette();
    palette.setColor(QPalette::Window, SceneRenderer::ColorOf(bowl.Color));
    palette.setColor(QPalette::WindowText, SceneRenderer::TextColorOn(bowl.Color));
    m_Window->setPalette(palette);
    m_Window->setAutoFillBackground(true);
}

void F_EDIT_BOWL::Refuse(const QString& text, QLineEdit* field) {
    Prompt::Message(m_Window, text, Prompt::Icon::Exclamation);
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
}

bool F_EDIT_BOWL::Validate() {
    if (m_EditType == kRemove) return true;
    bool valid = true;
    QLineEdit* converting = nullptr;
    try {
        if (!g_pEnvEng) err::Raise(err::ObjectNotSet);
        // Every field becomes a 16-bit whole number (halves to even), and the
        // field shows it from now on, whatever the later checks find.
        for (QLineEdit* field : {m_txM, m_txX0, m_txY0, m_txVx0, m_txVy0}) {
            converting = field;
            SetFieldText(field, QString::number(ToInt16(FieldValue(field))));
        }
        converting = nullptr;
        const double mass = FieldValue(m_txM);
        const double xo = FieldValue(m_txX0);
        const double yo = FieldValue(m_txY0);

        const bool positiveMass = HasPositiveMass(mass);
        if (!positiveMass) {
            Refuse(QStringLiteral("La Massa deve essere > 0!!!"), m_txM);
            valid = false;
        }

        // Where the bowl would lie, with its radius; a negative mass has no
        // radius and ends here as invalid data.
        CBowl scratch;
        scratch.SetM(ToSingle(mass));
        scratch.x = ToSingle(xo);
        scratch.y = ToSingle(yo);
        if (m_pDrawDevice) m_pDrawDevice->DrawProvisionalCircle(scratch.x, scratch.y, scratch.r());

        if (positiveMass) {
            const PlacementCheck place =
                CheckPlacement(*g_pEnvEng, mass, xo, yo, m_EditType == kProperty ? m_Index : 0);
            // The message names the rule; the focus goes to the field to change.
            switch (place.broken) {
            case PlacementRule::None:
            case PlacementRule::PositiveMass: break;
            case PlacementRule::BottomWall:
            case PlacementRule::TopWall: Refuse(PlacementText(place), m_txY0); break;
            case PlacementRule::RightWall:
            case PlacementRule::LeftWall:
            case PlacementRule::ClearOfBowls: Refuse(PlacementText(place), m_txX0); break;
            }
            valid = place.broken == PlacementRule::None;
        }
    } catch (const std::exception&) {
        Prompt::Message(m_Window, InvalidDataText(), Prompt::Icon::Exclamation);
        if (converting) {
            converting->setFocus(Qt::OtherFocusReason);
            converting->selectAll();
        }
        return false;
    }

    // The redraw takes the provisional circle away again. Drawing only asks
    // for memory: when that runs out the user is told, the circle stays up
    // and the input counts as judged all the same.
    if (m_pDrawDevice) {
        try {
            m_pDrawDevice->ManualRefresh();
        } catch (const std::bad_alloc&) {
            Prompt::Error(m_Window, UserTextOf(std::current_exception()));
        }
    }
    return valid;
}

void F_EDIT_BOWL::Commit() {
    switch (m_EditType) {
    case kAdd:
        g_pEnvEng->AddBowl(ToInt16(FieldValue(m_txM)), ToSingle(FieldValue(m_txX0)),
                           ToSingle(FieldValue(m_txY0)), ToSingle(FieldValue(m_txVx0)),
                           ToSingle(FieldValue(m_txVy0)));
        break;
    case kProperty:
        // Mass first (it sets the radius), then the initial values, each of
        // which also resets the current one.
        m_pBowl->SetM(ToSingle(FieldValue(m_txM)));
        m_pBowl->SetXo(ToSingle(FieldValue(m_txX0)));
        m_pBowl->SetYo(ToSingle(FieldValue(m_txY0)));
        m_pBowl->SetVxo(ToSingle(FieldValue(m_txVx0)));
        m_pBowl->SetVyo(ToSingle(FieldValue(m_txVy0)));
        // Changed through its reference: the engine cannot know unless told.
        g_pEnvEng->Touch();
        break;
    case kRemove:
        g_pEnvEng->RemoveBowl(m_Index);
        m_pBowl = nullptr;
        break;
    }
}

void F_EDIT_BOWL::bt_OK_Click() {
    if (!m_Window || !Validate()) return;
    try {
        Commit();
    } catch (...) {
        // The engine refused the change (a full scenario refuses one more
        // bowl with Overflow): nothing was committed, the window stays open.
        Prompt::Error(m_Window, UserTextOf(std::current_exception()));
        return;
    }
    m_Result = true;
    m_Window->accept();
}

void F_EDIT_BOWL::bt_Cancel_Click() {
    if (m_Window) m_Window->reject();
}

} // namespace vintrop

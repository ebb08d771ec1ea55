#include "panel/Form1.h"

#include "core/Units.h"
#include "panel/IncrementalSearch.h"
#include "panel/PictureBox.h"
#include "panel/ResultList.h"
#include "panel/SearchInput.h"
#include "panel/TwipsLayout.h"
#include "skins/Skin.h"

#include <QLabel>

namespace zarvik {

namespace {
constexpr int kWidthPixels = 378;
constexpr int kHeightTwips = 3105;
} // namespace

Form1::Form1(const QString& programDir, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_programDir(programDir)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Словарь"));

    Label4 = placeControl<MouseArea>(this, "Label4", 0, 0, 5325, 345);

    Picture1 = placeControl<PictureBox>(this, "Picture1", 5310, 0, 345, 315);

    auto* caption = new QLabel(QStringLiteral("Слово:"), this);
    caption->setObjectName(QStringLiteral("Label3"));
    setTwipsGeometry(caption, 120, 480, 1185, 255);
    QFont captionFont(QStringLiteral("DejaVu Sans"));
    captionFont.setPixelSize(ResultList::kFontPixels);
    caption->setFont(captionFont);
    Label3 = caption;

    Text1 = placeControl<SearchInput>(this, "Text1", 750, 450, 4815, 285);

    List1 = new ResultList(this);
    List1->setObjectName(QStringLiteral("List1"));
    // Fixed size: 143 pixels, room for ten 13-pixel lines.
    setTwipsGeometry(List1, 120, 840, 5445, 2145);

    picclose = placeControl<PictureBox>(this, "picclose", 480, 3150, 345, 315);
    picclose->hide();
    picclosepress = placeControl<PictureBox>(this, "picclosepress", 840, 3150, 345, 315);
    picclosepress->hide();

    List1->setFocusPolicy(Qt::ClickFocus);
    List1->setFocusProxy(Text1);
    setFocusProxy(Text1);

    connect(Text1, &QLineEdit::textChanged, this, [this] { Text1_Change(); });
    connect(Text1, &SearchInput::escapePressed, this, &Form1::unloadRequested);
    connect(Text1, &SearchInput::stepPressed, List1, &ResultList::moveMark);
    connect(Text1, &SearchInput::enterPressed, this, [this] { openArticle(List1->lineToOpen()); });
    connect(List1, &ResultList::lineActivated, this, [this](const QString& line) { openArticle(line); });
    connect(Label4, &MouseArea::pressed, this,
            [this](Qt::MouseButton button, QPointF, QPoint global) { Label4_MouseDown(button, global); });
    connect(Label4, &MouseArea::moved, this, [this](QPointF, QPoint global) { Label4_MouseMove(global); });
    connect(Label4, &MouseArea::released, this, [this](Qt::MouseButton, QPointF) { Label4_MouseUp(); });
    connect(Picture1, &MouseArea::pressed, this, [this] { Picture1_MouseDown(); });
    connect(Picture1, &MouseArea::released, this, [this] { Picture1_MouseUp(); });
    connect(Picture1, &MouseArea::clicked, this, [this] { Picture1_Click(); });

    Form_Load();
}

Form1::~Form1() = default;

void Form1::Form_Load()
{
    // Parked, topmost by its window flags; the first showing centres it.
    setGeometry(-10000, -10000, kWidthPixels, 0);
    // The window's own connection to the dictionary.
    m_data1.setDatabaseName(m_programDir + QStringLiteral("/zarvik.bdd"));
    // The visible height; the design area below it holds the invisible picture holders.
    resize(kWidthPixels, twipsToPixels(kHeightTwips));
}

void Form1::Text1_Change()
{
    const IncrementalSearch::Decision decision = IncrementalSearch::decide(Text1->text());
    if (decision.action == IncrementalSearch::Action::ClearInput) {
        Text1->setText(QString());
        return;
    }
    List1->setLines(IncrementalSearch::lines(decision, *m_lister));
}

void Form1::openArticle(const QString& line)
{
    // The window stays as it is beside the article, with its input and list.
    if (!line.isEmpty() && m_articleHook)
        m_articleHook(line);
}

void Form1::wearSkin(const Skin& skin)
{
    if (const QPixmap& p = skin.picture(SkinFile::dictmain); !p.isNull())
        setPicture(p);
    if (const QPixmap& p = skin.picture(SkinFile::dictbutton1); !p.isNull()) {
        Picture1->setPicture(p);
        picclose->setPicture(p);
    }
    if (const QPixmap& p = skin.picture(SkinFile::dictbutton2); !p.isNull())
        picclosepress->setPicture(p);
}

void Form1::setPicture(const QPixmap& picture)
{
    m_picture = picture;
    update();
}

// Positions are screen pixels: the grab point is kept as the pointer's offset from the
// window's corner, which is what the label-relative position of the press amounts to.
void Form1::Label4_MouseDown(Qt::MouseButton button, QPoint position)
{
    if (button != Qt::LeftButton)
        return;
    m_drag = true;
    m_grab = position - pos();
}

void Form1::Label4_MouseMove(QPoint position)
{
    if (m_drag)
        move(position - m_grab);
}

void Form1::Label4_MouseUp()
{
    m_drag = false;
}

void Form1::Picture1_MouseDown()
{
    Picture1->setPicture(picclosepress->picture());
}

void Form1::Picture1_MouseUp()
{
    Picture1->setPicture(picclose->picture());
}

void Form1::Picture1_Click()
{
    hide();
}

void Form1::paintEvent(QPaintEvent*)
{
    paintPicture(this, m_picture);
}

} // namespace zarvik

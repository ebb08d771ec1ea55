#include "app/about.h"

#include "app/Artwork.h"
#include "app/LinkLabel.h"
#include "app/Vendor.h"
#include "core/Units.h"
#include "dictionary/DictionaryReader.h"
#include "platform/Monitors.h"
#include "platform/Platform.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace zarvik {

namespace {

QPoint at(int leftTwips, int topTwips)
{
    return {twipsToPixels(leftTwips), twipsToPixels(topTwips)};
}

} // namespace

about::about(Platform& platform, const QString& dictionaryPath, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_platform(platform)
{
    setObjectName(QStringLiteral("about"));
    setWindowTitle(QStringLiteral("О программе Zarvik"));
    setFixedSize(twipsToPixels(6840), twipsToPixels(3330));
    // Centred on the screen: the box has no parent window to be centred on.
    move(Monitors::centredAtPointer(m_platform, size()));

    Picture1 = new QWidget(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(QRect(at(-30, -30), QSize(width() + 2 * twipsToPixels(30), twipsToPixels(2295))));
    Picture1->setBackgroundRole(QPalette::Base);
    Picture1->setAutoFillBackground(true);

    Picture4 = new QLabel(this);
    Picture4->setPixmap(QPixmap::fromImage(Artwork::logo()));
    Picture4->move(at(300, 390));
    Picture4->adjustSize();

    Label2 = placedLabel(this, Vendor::kProductName, at(1770, 300));
    QFont title;
    title.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans")});
    title.setPointSizeF(13.5);
    Label2->setFont(title);
    Label2->adjustSize();
    Label7 = placedLabel(this, QStringLiteral("()"), at(3120, 390));
    // The count can be selected and copied, to quote it in a letter to the vendor.
    Label7->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // A wide font may run the name into the count; the count then steps right.
    if (Label7->x() < Label2->geometry().right() + 6)
        Label7->move(Label2->geometry().right() + 6, Label7->y());
    Label3 = placedLabel(this, Vendor::kOwnershipNotice, at(1770, 660));
    Label4 = placedLabel(this, Vendor::kWebCaption, at(300, 1350));
    Label6 = new LinkLabel(Vendor::kWebSite, this);
    Label6->move(at(3120, 1350));
    Label8 = placedLabel(this, Vendor::kMailCaption, at(300, 1590));
    Label9 = new LinkLabel(Vendor::kSupportAddress, this);
    Label9->move(at(3120, 1590));

    PVButton4 = new QPushButton(QStringLiteral("Закрыть"), this);
    PVButton4->setObjectName(QStringLiteral("PVButton4"));
    PVButton4->setGeometry(QRect(at(5310, 2790), QSize(twipsToPixels(1365), twipsToPixels(375))));
    PVButton4->setDefault(true);
    // Escape closes the box through QDialog's own cancel handling, as "Закрыть" does.
    connect(PVButton4, &QPushButton::clicked, this, &QDialog::reject);

    connect(Label6, &LinkLabel::clicked, this, [this] { m_platform.openDocument(Vendor::kWebSite); });
    connect(Label9, &LinkLabel::clicked, this, [this] { m_platform.openDocument(Vendor::kSupportMailto); });

    Form_Load(dictionaryPath);
}

about::~about() = default;

QString about::countCaption(qint64 words)
{
    return QStringLiteral("(") + QString::number(words) + QStringLiteral(" слов(а) в базе данных)");
}

void about::Form_Load(const QString& dictionaryPath)
{
    // A connection of its own, opened for this opening only: the count is always the whole
    // table as the file holds it now, whatever the panel lists.
    DictionaryReader reader;
    reader.setDatabaseName(dictionaryPath);
    Label7->setText(countCaption(reader.wordCount()));
    Label7->adjustSize();
}

} // namespace zarvik

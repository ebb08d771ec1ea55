#include "panel/ResultList.h"

#include "dictionary/DisplayText.h"
#include "panel/SearchInput.h"

#include <QStyledItemDelegate>

namespace zarvik {

namespace {
class FixedLineDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(ResultList::kLinePixels);
        return size;
    }
};
} // namespace

ResultList::ResultList(QWidget* parent) : QListWidget(parent)
{
    setToolTip(listToolTip());
    setFrameShape(QFrame::NoFrame);
    setSelectionMode(QAbstractItemView::NoSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setTextElideMode(Qt::ElideNone);
    setItemDelegate(new FixedLineDelegate(this));

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(kFontPixels);
    setFont(font);

    // The skin's picture shows through the list.
    setAttribute(Qt::WA_TranslucentBackground);
    viewport()->setAutoFillBackground(false);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::transparent);
    pal.setColor(QPalette::Text, Qt::black);
    setPalette(pal);
}

void ResultList::setLines(const QStringList& lines)
{
    clear();
    // A line shows as plain text, left to right as a whole, however long or strange the
    // stored translation.
    for (const QString& line : lines)
        addItem(DisplayText::line(line));
}

QStringList ResultList::lines() const
{
    QStringList result;
    for (int i = 0; i < count(); ++i)
        result.append(item(i)->text());
    return result;
}

} // namespace zarvik

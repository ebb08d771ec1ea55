#include "panel/ResultList.h"

#include "dictionary/DisplayText.h"
#include "panel/SearchInput.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <algorithm>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace zarvik {

namespace {
class FixedLineDelegate final : public QStyledItemDelegate {
public:
    explicit FixedLineDelegate(ResultList* list) : QStyledItemDelegate(list), m_list(list) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (index.row() != m_list->markedRow()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem marked(option);
        marked.state |= QStyle::State_Selected | QStyle::State_Active;
        QStyledItemDelegate::paint(painter, marked, index);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(ResultList::kLinePixels);
        return size;
    }

private:
    ResultList* m_list;
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
    m_marked = -1;
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

void ResultList::setMarkedRow(int row)
{
    m_marked = row >= 0 && row < count() ? row : -1;
    if (m_marked >= 0)
        scrollToItem(item(m_marked));
    viewport()->update();
}

void ResultList::moveMark(int delta)
{
    if (count() == 0 || (count() == 1 && item(0)->text().isEmpty()))
        return;
    if (m_marked < 0)
        setMarkedRow(delta > 0 ? 0 : count() - 1);
    else
        setMarkedRow(std::clamp(m_marked + delta, 0, count() - 1));
}

QString ResultList::lineToOpen() const
{
    if (count() == 0)
        return {};
    return item(m_marked >= 0 ? m_marked : 0)->text();
}

bool ResultList::isCut(int row) const
{
    const QListWidgetItem* line = item(row);
    if (!line)
        return false;
    const QRect shown = visualItemRect(line);
    // The delegate leaves a few pixels of margin at each side of the text.
    const int margin = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
    return fontMetrics().horizontalAdvance(line->text()) + margin > shown.width();
}

QString ResultList::lineToolTipAt(QPoint viewportPosition) const
{
    const QListWidgetItem* line = itemAt(viewportPosition);
    if (!line || !isCut(row(line)))
        return {};
    // Rich text, so that a long line wraps in the tip; escaped, so that it shows as written.
    return QStringLiteral("<p>") + line->text().toHtmlEscaped() + QStringLiteral("</p>");
}

void ResultList::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The list keeps no selection and no pressed line, so the line is the one under the
    // pointer, whatever the presses before.
    if (event->button() == Qt::LeftButton) {
        if (const QListWidgetItem* line = itemAt(event->position().toPoint()); line && !line->text().isEmpty()) {
            event->accept();
            emit lineActivated(line->text());
            return;
        }
    }
    QListWidget::mouseDoubleClickEvent(event);
}

bool ResultList::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = lineToolTipAt(help->pos());
        if (!tip.isEmpty()) {
            QToolTip::showText(help->globalPos(), tip, viewport(), visualItemRect(itemAt(help->pos())));
            return true;
        }
    }
    return QListWidget::viewportEvent(event);
}

} // namespace zarvik

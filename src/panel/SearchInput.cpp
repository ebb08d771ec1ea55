#include "panel/SearchInput.h"

#include "panel/IncrementalSearch.h"

#include <QKeyEvent>

namespace zarvik {

SearchInput::SearchInput(QWidget* parent) : QLineEdit(parent)
{
    setToolTip(inputToolTip());
    setFrame(false);
    setMaxLength(kMaxLength);
}

void SearchInput::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        emit escapePressed();
        return;
    }
    // The line has one line of text: Down and Up are free to move through the list.
    if ((event->key() == Qt::Key_Down || event->key() == Qt::Key_Up) && !(event->modifiers() & ~Qt::KeypadModifier)) {
        event->accept();
        emit stepPressed(event->key() == Qt::Key_Down ? 1 : -1);
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        !(event->modifiers() & ~Qt::KeypadModifier)) {
        event->accept();
        emit enterPressed();
        return;
    }
    if (IncrementalSearch::isRefusedKey(event->text())) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void SearchInput::mousePressEvent(QMouseEvent* event)
{
    emit pressed();
    QLineEdit::mousePressEvent(event);
}

QString inputToolTip()
{
    return QStringLiteral("В это поле Вам необходимо ввести нужное слово на русском или английском языке");
}

QString listToolTip()
{
    return QStringLiteral("Здесь отображается перевод слова. В процессе ввода слова Вам будет предлагатся 10 "
                          "наиболее подходящих вариантов.");
}

} // namespace zarvik

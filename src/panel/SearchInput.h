#pragma once

#include <QLineEdit>

namespace zarvik {

// The input line of the panel and of the dictionary window. It refuses | [ ] and the double
// quote at the keyboard, reports Escape, Down, Up, Enter and a press of the mouse. Pasted text is not
// filtered: it reaches the dictionary as typed and the reader binds it as a value, so such a
// query can find nothing but never fails.
//
// The line takes at most kMaxLength characters, typed or pasted: far more than any headword,
// and a bound on what one keystroke's search has to read.
class SearchInput final : public QLineEdit {
    Q_OBJECT
public:
    static constexpr int kMaxLength = 255;

    explicit SearchInput(QWidget* parent = nullptr);

signals:
    void escapePressed();
    void pressed();
    // Down (+1) and Up (-1): a step through the result list.
    void stepPressed(int delta);
    // Enter or Return: open the marked line's article.
    void enterPressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

// The tool tip that both input lines carry.
QString inputToolTip();
// The tool tip that both result lists carry.
QString listToolTip();

} // namespace zarvik

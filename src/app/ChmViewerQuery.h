#pragma once

#include <QObject>
#include <QString>
#include <functional>

namespace zarvik {

// Asks the desktop (xdg-mime) whether a program is registered for compiled help (CHM) files,
// without waiting for the answer: the answer comes through a callback on the interface
// thread when the query has ended, so a slow or hanging desktop never freezes a window.
class ChmViewerQuery final : public QObject {
public:
    // `program` answers "PROGRAM query default TYPE" as xdg-mime does; a query that has not
    // ended after `timeoutMs` counts as no viewer.
    explicit ChmViewerQuery(QObject* parent = nullptr, QString program = QStringLiteral("xdg-mime"),
                            int timeoutMs = 2000);
    ~ChmViewerQuery() override;

    // Starts a query and returns at once; `answer` is called exactly once, later, unless this
    // object is destroyed first.
    void ask(std::function<void(bool)> answer);

private:
    void askType(int typeIndex, std::function<void(bool)> answer);

    QString m_program;
    int m_timeoutMs;
};

} // namespace zarvik

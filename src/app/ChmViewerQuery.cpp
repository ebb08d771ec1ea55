#include "app/ChmViewerQuery.h"

#include <QProcess>
#include <QTimer>
#include <memory>

namespace zarvik {

namespace {
// shared-mime-info names "*.chm" application/vnd.ms-htmlhelp, with the older
// application/x-chm as its alias; viewers declare either. xdg-mime answers from
// mimeapps.list and the installed desktop files, so its answer is what xdg-open will do.
const char* const kTypes[] = {"application/vnd.ms-htmlhelp", "application/x-chm"};
constexpr int kTypeCount = 2;
} // namespace

ChmViewerQuery::ChmViewerQuery(QObject* parent, QString program, int timeoutMs)
    : QObject(parent), m_program(std::move(program)), m_timeoutMs(timeoutMs)
{
}

ChmViewerQuery::~ChmViewerQuery()
{
    // A query still running at exit is ended without an answer.
    for (QProcess* process : findChildren<QProcess*>(Qt::FindDirectChildrenOnly)) {
        process->disconnect(this);
        process->kill();
        process->waitForFinished(200);
    }
}

void ChmViewerQuery::ask(std::function<void(bool)> answer)
{
    askType(0, std::move(answer));
}

void ChmViewerQuery::askType(int typeIndex, std::function<void(bool)> answer)
{
    auto* process = new QProcess(this);
    auto* timer = new QTimer(process);
    timer->setSingleShot(true);
    // The process reports its end once (finished, or an error when it could not start); the
    // flag keeps a late second report from answering twice.
    auto answered = std::make_shared<bool>(false);
    const auto conclude = [this, process, typeIndex, answer, answered](bool registered, bool askNext = true) {
        if (*answered)
            return;
        *answered = true;
        process->disconnect(this);
        if (!registered && askNext && typeIndex + 1 < kTypeCount)
            askType(typeIndex + 1, answer);
        else
            answer(registered);
    };
    connect(process, &QProcess::finished, this, [process, conclude](int code, QProcess::ExitStatus status) {
        conclude(status == QProcess::NormalExit && code == 0 &&
                 process->readAllStandardOutput().trimmed().endsWith(".desktop"));
    });
    connect(process, &QProcess::errorOccurred, this, [conclude](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            conclude(false);
    });
    // The process goes once it has ended, also after a kill.
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
    connect(process, &QProcess::errorOccurred, process, [process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            process->deleteLater();
    });
    // No answer in time counts as no viewer, and a desktop that does not answer is not asked
    // again: the HTML help is then the safe choice.
    connect(timer, &QTimer::timeout, this, [process, conclude] {
        process->kill();
        conclude(false, false);
    });
    timer->start(m_timeoutMs);
    process->start(m_program, {QStringLiteral("query"), QStringLiteral("default"), QLatin1String(kTypes[typeIndex])});
}

} // namespace zarvik

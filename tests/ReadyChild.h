#pragma once

// A helper program a test starts, that says "ready" on a line of its own once it is up; it is
// killed when the test lets it go, so that no run leaves it behind.

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

class ReadyChild {
public:
    ~ReadyChild()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }
    // Starts it and waits up to 10 s for its "ready" line, the test's own events served
    // meanwhile (the code under test may live on them).
    bool start(const QString& program, const QStringList& args)
    {
        m_process.start(program, args);
        if (!m_process.waitForStarted(5000))
            return false;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 10000) {
            if (m_process.canReadLine() && m_process.readLine().trimmed() == "ready")
                return true;
            if (m_process.state() == QProcess::NotRunning)
                return false;
            QTest::qWait(10);
        }
        return false;
    }
    qint64 pid() const { return m_process.processId(); }
    QProcess& process() { return m_process; }

private:
    QProcess m_process;
};

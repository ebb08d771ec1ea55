#pragma once

#include <QObject>
#include <QUrl>

namespace zarvik {

// The vendor's home page, asked for once in the background when the machine is online.
// Nothing waits for the answer and nothing depends on it: it only tells the vendor that a
// copy started, as the embedded browser of old did.
inline const QUrl kHomePage{QStringLiteral("http://www.zarvik.example/")};

// One plain HTTP request on a thread of its own, with bounded waits; the answer is read and
// dropped. The toolkit's network module would do the same but loads a dozen libraries
// (proxy and Kerberos support among them) at every start, before the program's first
// window, for a request that nothing reads.
class HomePageProbe final : public QObject {
    Q_OBJECT
public:
    explicit HomePageProbe(QObject* parent = nullptr);
    ~HomePageProbe() override;

    // Starts the request; returns at once. Addresses other than http:// are left alone.
    void navigate(const QUrl& address);
    bool started() const { return m_started; }

    // The longest each step (resolving aside, which the system bounds) may wait, and how much
    // of the answer is read before the connection is dropped.
    static constexpr int kWaitSeconds = 15;
    static constexpr long kMaxAnswerBytes = 256 * 1024;

private:
    bool m_started = false;
};

} // namespace zarvik

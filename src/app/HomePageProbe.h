#pragma once

#include <QObject>
#include <QUrl>

class QNetworkAccessManager;

namespace zarvik {

// The vendor's home page, asked for once in the background when the machine is online.
// Nothing waits for the answer and nothing depends on it: it only tells the vendor that a
// copy started, as the embedded browser of old did.
inline const QUrl kHomePage{QStringLiteral("http://www.zarvik.example/")};

class HomePageProbe final : public QObject {
    Q_OBJECT
public:
    explicit HomePageProbe(QObject* parent = nullptr);
    ~HomePageProbe() override;

    // Starts the request; returns at once. The reply is read and dropped.
    void navigate(const QUrl& address);
    bool started() const { return m_started; }

private:
    QNetworkAccessManager* m_network = nullptr;
    bool m_started = false;
};

} // namespace zarvik

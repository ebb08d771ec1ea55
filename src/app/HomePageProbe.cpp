#include "app/HomePageProbe.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace zarvik {

HomePageProbe::HomePageProbe(QObject* parent) : QObject(parent) {}

HomePageProbe::~HomePageProbe() = default;

void HomePageProbe::navigate(const QUrl& address)
{
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    QNetworkRequest request(address);
    // A slow or silent server must not keep a socket open for the whole run.
    request.setTransferTimeout(15000);
    QNetworkReply* reply = m_network->get(request);
    connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
    m_started = true;
}

} // namespace zarvik

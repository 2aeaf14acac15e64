// Notify calls to org.freedesktop.Notifications, and its ActionInvoked and NotificationClosed
// signals mapped back to the caller's tags.
#include "platform/ui/notifications.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

namespace ui {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kDefaultAction = QStringLiteral("default");
constexpr int kServerExpiry = -1;  // the service's own idea of how long a notice stays

}  // namespace

TDesktopNotifier::TDesktopNotifier(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), bus_(bus) {
    if (!bus_.isConnected()) {
        return;
    }
    // Only the service's own signals count: another program on the bus cannot raise us.
    bus_.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                 SLOT(ActionInvoked(quint32, QString)));
    bus_.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                 SLOT(NotificationClosed(quint32, quint32)));
}

void TDesktopNotifier::Show(const QString& summary, std::int64_t tag) {
    if (!bus_.isConnected()) {
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                       QStringLiteral("Notify"));
    const QString appIcon = QString::fromLatin1(kNotificationAppIcon);
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), appIcon);
    call << QStringLiteral("Quillet") << quint32(0) << appIcon << summary << QString()
         << QStringList{kDefaultAction, QStringLiteral("Show")} << hints
         << qint32(kServerExpiry);
    // Asked without waiting: a service that is slow or missing never holds the window up.
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, tag](QDBusPendingCallWatcher* finished) {
                const QDBusPendingReply<quint32> reply = *finished;
                finished->deleteLater();
                // No service: the reminder goes unshown, as if none were asked for.
                if (!reply.isError()) {
                    tags_[reply.value()] = tag;
                }
                Q_EMIT answered(!reply.isError());
            });
}

void TDesktopNotifier::ActionInvoked(quint32 id, const QString& action) {
    auto at = tags_.find(id);
    if (at != tags_.end() && action == kDefaultAction) {
        Q_EMIT activated(at->second);
    }
}

void TDesktopNotifier::NotificationClosed(quint32 id, quint32 /*reason*/) {
    tags_.erase(id);
}

}  // namespace ui

// Desktop notifications through the freedesktop notification service on the session bus:
// showing one, and hearing it clicked. Without a bus or a service nothing is shown and
// nothing fails.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <cstdint>
#include <unordered_map>

namespace ui {

// The icon a notification shows and the desktop entry it belongs to: the application's id.
inline constexpr char kNotificationAppIcon[] = "quillet";

class TDesktopNotifier : public QObject {
    Q_OBJECT

  public:
    explicit TDesktopNotifier(const QDBusConnection& bus = QDBusConnection::sessionBus(),
                              QObject* parent = nullptr);

    // Asks the service to show `summary` with a default action; `tag` comes back with
    // activated() when the person clicks it.
    void Show(const QString& summary, std::int64_t tag);

  Q_SIGNALS:
    void activated(std::int64_t tag);
    // The answer to a Notify call came: shown, or refused or unanswered (no service).
    void answered(bool shown);

  private Q_SLOTS:
    void ActionInvoked(quint32 id, const QString& action);
    void NotificationClosed(quint32 id, quint32 reason);

  private:
    QDBusConnection bus_;
    std::unordered_map<quint32, std::int64_t> tags_;  // shown notifications by id
};

}  // namespace ui

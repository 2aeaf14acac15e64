// A stand-in for a flat button that is no QAbstractButton: it takes the Default and Cancel
// roles through properties of its class and clicks through a click() slot.
#pragma once

#include <QWidget>

class FakeRoleButton : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool Default READ isDefault WRITE setDefault)
    Q_PROPERTY(bool Cancel READ isCancel WRITE setCancel)

  public:
    explicit FakeRoleButton(QWidget* parent = nullptr) : QWidget(parent) {
        setFocusPolicy(Qt::NoFocus);
    }
    bool isDefault() const { return default_; }
    void setDefault(bool on) { default_ = on; }
    bool isCancel() const { return cancel_; }
    void setCancel(bool on) { cancel_ = on; }
    int clicks() const { return clicks_; }

  public Q_SLOTS:
    void click() {
        ++clicks_;
        Q_EMIT clicked();
    }

  Q_SIGNALS:
    void clicked();

  private:
    bool default_ = false;
    bool cancel_ = false;
    int clicks_ = 0;
};

#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

// Holds back the user's input to the windows that are open when it begins,
// as a modal window would, but without taking the activation or the
// keyboard focus from them: clicks, keys, shortcuts, the wheel, drops and
// closing by the frame are dropped until the hold ends. Windows opened
// since (a question asked meanwhile) and the windows the hold leaves free
// take their input as usual.
class InputHold : public QObject
{
    Q_OBJECT

public:
    // Holds every visible window for which isFree is false, until the hold
    // is destroyed.
    explicit InputHold(const std::function<bool(const QWidget *)> &isFree, QObject *parent = nullptr);
    ~InputHold() override;

    // Whether input sent to the object is held: a held window, a widget in
    // one, or a shortcut or an action that belongs to one.
    bool holds(const QObject *receiver) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QList<QPointer<QWidget>> m_windows;
};

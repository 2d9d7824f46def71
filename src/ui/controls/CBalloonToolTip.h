#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

// A balloon tooltip that hangs one text over a whole widget: it shows where the pointer rests
// on the widget and goes when the pointer leaves, clicks or types, or the widget hides.
class CBalloonToolTip : public QObject {
    Q_OBJECT
public:
    CBalloonToolTip() = default;
    ~CBalloonToolTip() override;

    // Attaches the tooltip with text to widget; false when widget is null or it is attached
    // already.
    bool Create(QWidget* widget, const QString& text);
    // Detaches it and hides its balloon; nothing when not attached.
    void DestroyWindow();

    bool IsAttached() const { return !widget_.isNull(); }
    const QString& Text() const { return text_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> widget_;
    QString text_;
};

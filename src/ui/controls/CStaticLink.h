#pragma once

#include <QLabel>
#include <string>

// A static text drawn as a hyperlink: link colour, underlined, a hand cursor, and an optional
// address. A click emits clicked(), for the owning dialog to open the address, and is reported
// to the dialog as a command from the control as well.
class CStaticLink : public QLabel {
    Q_OBJECT
public:
    explicit CStaticLink(const QString& text = {}, QWidget* parent = nullptr);

    // What a click does: clicked(), and the command to the dialog. An assistive technology's
    // "press" does the same.
    void Click();

    // The address a click should open; may be set before the control is shown.
    void SetUrl(const std::string& url);
    const std::string& Url() const { return url_; }

    static constexpr QRgb kLinkColor = 0x6464FF;  // RGB(100,100,255)
    static constexpr int kTextHeight = 13;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::string url_;
    bool pressed_ = false;
};

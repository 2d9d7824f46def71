#pragma once

#include <QLabel>
#include <cstdint>

// The skin's two static texts.

// A small header bar with a label: only its top 13 pixels are painted, a grey gradient in a
// one-pixel frame with the text in white.
class CTivoraStatic : public QLabel {
    Q_OBJECT
public:
    static constexpr int kBarHeight = 13;

    explicit CTivoraStatic(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// White text straight on the dialog's body, word-wrapped.
class CSimpleStatic : public QLabel {
    Q_OBJECT
public:
    // Values of alignment, as text drawing flags.
    static constexpr std::uint32_t kLeft = 0;
    static constexpr std::uint32_t kCenter = 1;
    static constexpr std::uint32_t kRight = 2;

    explicit CSimpleStatic(QWidget* parent = nullptr);

    // Horizontal alignment of the text; the owner sets it (left by default).
    std::uint32_t alignment = kLeft;

protected:
    void paintEvent(QPaintEvent* event) override;
};

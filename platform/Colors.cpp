#include "platform/Colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace korvi {

QColor ToQColor(uint32_t bgr) {
    if (bgr & 0x80000000u) {
        const QPalette palette = QGuiApplication::palette();
        switch (bgr & 0xFFu) {
            case 0x02:
                return palette.color(QPalette::Active, QPalette::Highlight);
            case 0x0F:
                return palette.color(QPalette::Active, QPalette::Button);
            default:
                return palette.color(QPalette::Active, QPalette::Window);
        }
    }
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

uint32_t FromQColor(const QColor& color) {
    return static_cast<uint32_t>(color.red()) | (static_cast<uint32_t>(color.green()) << 8) |
           (static_cast<uint32_t>(color.blue()) << 16);
}

}  // namespace korvi

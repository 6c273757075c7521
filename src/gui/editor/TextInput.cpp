#include "gui/editor/TextInput.h"

#include <QLineEdit>
#include <memory>

namespace kvt::gui {

long long leadingInteger(const QString& text) {
    constexpr long long kClamp = 1'000'000'000'000LL;
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    long long value = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) break;
        if (value < kClamp) value = value * 10 + (c.unicode() - u'0');
    }
    return negative ? -value : value;
}

void limitGbkBytes(QLineEdit* edit, std::size_t maxBytes) {
    auto accepted = std::make_shared<QString>(edit->text());
    QObject::connect(edit, &QLineEdit::textChanged, edit,
                     [edit, maxBytes, accepted](const QString& text) {
                         const std::optional<Gbk> bytes = toGbk(text);
                         if (bytes && bytes->size() > maxBytes) {
                             const int cursor = static_cast<int>(accepted->size());
                             edit->setText(*accepted);
                             edit->setCursorPosition(cursor);
                             return;
                         }
                         *accepted = text;
                     });
}

}  // namespace kvt::gui

#include "gui/base/TextInput.h"

#include <QLineEdit>
#include <memory>

namespace kvt::gui {

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

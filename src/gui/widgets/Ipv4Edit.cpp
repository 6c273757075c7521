#include "gui/widgets/Ipv4Edit.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace kvt::gui {

Ipv4Edit::Ipv4Edit(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->setSpacing(0);
    // Accepts 0..255 only, so a field can never hold a value that does not fit an octet.
    const QRegularExpression octet(
        QStringLiteral("^(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])?$"));
    for (int i = 0; i < 4; ++i) {
        auto* edit = new QLineEdit(this);
        edit->setValidator(new QRegularExpressionValidator(octet, edit));
        edit->setAlignment(Qt::AlignCenter);
        edit->setMaxLength(3);
        edit->setFrame(false);
        edit->installEventFilter(this);
        m_fields[static_cast<std::size_t>(i)] = edit;
        layout->addWidget(edit, 1);
        if (i < 3) {
            auto* dot = new QLabel(QStringLiteral("."), this);
            dot->setAlignment(Qt::AlignCenter);
            layout->addWidget(dot);
        }
        connect(edit, &QLineEdit::textEdited, this, [this, i, edit](const QString& t) {
            // Three digits complete an octet: move on like the platform's address control.
            if (t.size() == 3 && i < 3 && edit->cursorPosition() == 3) {
                QLineEdit* next = m_fields[static_cast<std::size_t>(i + 1)];
                next->setFocus();
                next->selectAll();
            }
        });
        connect(edit, &QLineEdit::textChanged, this, [this, i] { emit fieldChanged(i); });
    }
    setFocusProxy(m_fields[0]);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
}

QSize Ipv4Edit::sizeHint() const {
    // Room for four three-digit octets and the dots, like the platform's address control.
    const QFontMetrics metrics = fontMetrics();
    const int octet = metrics.horizontalAdvance(QStringLiteral("000")) + 10;
    const int dot = metrics.horizontalAdvance(QLatin1Char('.')) + 4;
    const QSize field = m_fields[0]->sizeHint();
    return {4 * octet + 3 * dot + 2 * frameWidth() + 4, field.height() + 2 * frameWidth() + 2};
}

QString Ipv4Edit::text() const {
    return QStringLiteral("%1.%2.%3.%4").arg(field(0)).arg(field(1)).arg(field(2)).arg(field(3));
}

void Ipv4Edit::setText(const QString& text) {
    const QStringList parts = text.trimmed().split(QLatin1Char('.'));
    for (int i = 0; i < 4; ++i) {
        QLineEdit* edit = m_fields[static_cast<std::size_t>(i)];
        if (i < parts.size()) {
            bool ok = false;
            const int value = parts[i].toInt(&ok);
            edit->setText(ok && value >= 0 && value <= 255 ? QString::number(value) : QString());
        } else {
            edit->clear();
        }
    }
}

void Ipv4Edit::clear() {
    for (QLineEdit* edit : m_fields) edit->clear();
}

bool Ipv4Edit::isBlank() const {
    for (const QLineEdit* edit : m_fields)
        if (!edit->text().isEmpty()) return false;
    return true;
}

int Ipv4Edit::field(int index) const {
    return fieldEdit(index)->text().toInt();  // empty -> 0
}

void Ipv4Edit::setField(int index, int value) {
    fieldEdit(index)->setText(value >= 0 && value <= 255 ? QString::number(value) : QString());
}

bool Ipv4Edit::eventFilter(QObject* watched, QEvent* event) {
    for (int i = 0; i < 4; ++i) {
        QLineEdit* edit = m_fields[static_cast<std::size_t>(i)];
        if (watched != edit) continue;
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const bool dot = key->key() == Qt::Key_Period || key->key() == Qt::Key_Space;
            if (dot && i < 3) {
                if (!edit->text().isEmpty()) {
                    QLineEdit* next = m_fields[static_cast<std::size_t>(i + 1)];
                    next->setFocus();
                    next->selectAll();
                }
                return true;
            }
            if (key->key() == Qt::Key_Backspace && i > 0 && edit->cursorPosition() == 0 &&
                !edit->hasSelectedText()) {
                QLineEdit* previous = m_fields[static_cast<std::size_t>(i - 1)];
                previous->setFocus();
                previous->setCursorPosition(static_cast<int>(previous->text().size()));
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            // Only leaving the whole control counts, not moving between its fields.
            // The application's focus widget is already the new one when FocusOut arrives.
            const QWidget* now = QApplication::focusWidget();
            bool inside = false;
            for (QLineEdit* other : m_fields)
                if (other == now) inside = true;
            if (!inside) emit editingFinished();
        }
        break;
    }
    return QFrame::eventFilter(watched, event);
}

void Ipv4Edit::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange)
        setBackgroundRole(isEnabled() ? QPalette::Base : QPalette::Window);
    QFrame::changeEvent(event);
}

}  // namespace kvt::gui

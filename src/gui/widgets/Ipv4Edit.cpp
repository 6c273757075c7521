#include "gui/widgets/Ipv4Edit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpressionValidator>
#include <optional>

namespace kvt::gui {

namespace {

// 0..255 without leading zeros, or nothing.
const QRegularExpression& octetPattern() {
    static const QRegularExpression pattern(
        QStringLiteral("^(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])?$"));
    return pattern;
}

bool isOctetText(const QString& text) {
    return octetPattern().match(text).hasMatch();
}

// No further digit can follow: three digits, a value above 25, or a lone 0.
bool isFull(const QString& text) {
    return text.size() >= 3 || text == QLatin1String("0") || text.toInt() > 25;
}

bool isDigitKey(const QKeyEvent* key) {
    const QString typed = key->text();
    const auto commands = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    return typed.size() == 1 && typed[0] >= QLatin1Char('0') && typed[0] <= QLatin1Char('9') &&
           !(key->modifiers() & commands);
}

// The field's text after `typed` replaces its selection or goes in at the cursor.
QString textAfterInsert(const QLineEdit* edit, const QString& typed) {
    QString text = edit->text();
    if (edit->hasSelectedText())
        text.replace(edit->selectionStart(), edit->selectedText().size(), typed);
    else
        text.insert(edit->cursorPosition(), typed);
    return text;
}

// A whole dotted address: four parts of one to three decimal digits, each at most 255.
std::optional<std::array<int, 4>> parseAddress(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4) return std::nullopt;
    std::array<int, 4> octets{};
    for (std::size_t i = 0; i < 4; ++i) {
        const QString& part = parts[static_cast<qsizetype>(i)];
        if (part.isEmpty() || part.size() > 3) return std::nullopt;
        for (const QChar c : part)
            if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
        octets[i] = part.toInt();
        if (octets[i] > 255) return std::nullopt;
    }
    return octets;
}

}  // namespace

Ipv4Edit::Ipv4Edit(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->setSpacing(0);
    for (int i = 0; i < 4; ++i) {
        auto* edit = new QLineEdit(this);
        // Accepts 0..255 only, so a field can never hold a value that does not fit an octet
        // (and no longer text is cut down to one that does).
        edit->setValidator(new QRegularExpressionValidator(octetPattern(), edit));
        edit->setAlignment(Qt::AlignCenter);
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
            // Only a typed digit moves on, not a deletion that leaves a full field behind.
            if (!m_digitTyped) return;
            m_digitTyped = false;
            if (i < 3 && edit->cursorPosition() == t.size() && isFull(t))
                enterField(i + 1, Entry::SelectAll);
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

void Ipv4Edit::enterField(int index, Entry entry) {
    QLineEdit* edit = fieldEdit(index);
    edit->setFocus(Qt::OtherFocusReason);
    switch (entry) {
        case Entry::SelectAll:
            edit->selectAll();
            break;
        case Entry::Start:
            edit->setCursorPosition(0);
            break;
        case Entry::End:
            edit->setCursorPosition(static_cast<int>(edit->text().size()));
            break;
    }
}

bool Ipv4Edit::keyPress(int index, QKeyEvent* key) {
    QLineEdit* edit = fieldEdit(index);
    m_digitTyped = false;
    if (key->matches(QKeySequence::Paste)) {
        paste(index, QGuiApplication::clipboard()->text());
        return true;
    }
    const bool atStart = !edit->hasSelectedText() && edit->cursorPosition() == 0;
    const bool atEnd = !edit->hasSelectedText() && edit->cursorPosition() == edit->text().size();
    const bool digit = isDigitKey(key);
    const bool dot = key->key() == Qt::Key_Period || key->key() == Qt::Key_Space;
    // An address typed from a later field ends in the last one: the parts after it are dropped.
    if (!digit && !dot) m_addressEnded = false;
    if (digit && m_addressEnded) return true;
    if (dot && index == 3 && !edit->text().isEmpty() && !edit->hasSelectedText() &&
        edit->cursorPosition() > 0)
        m_addressEnded = true;
    // Typing at the start of a field types it over, as typing a whole address does, rather
    // than pushing the old digits along ("127" at the start of "0" is 127, not 120).
    if (digit && atStart && !edit->text().isEmpty()) edit->selectAll();
    if (digit) {
        if (isOctetText(textAfterInsert(edit, key->text()))) {
            m_digitTyped = true;
            return false;  // the field takes it; textEdited decides whether to move on
        }
        if (index < 3 && atEnd && isFull(edit->text())) {
            enterField(index + 1, Entry::SelectAll);
            QKeyEvent carried(key->type(), key->key(), key->modifiers(), key->text());
            QApplication::sendEvent(fieldEdit(index + 1), &carried);
        }
        return true;
    }
    switch (key->key()) {
        case Qt::Key_Period:
        case Qt::Key_Space:
            if (index < 3 && !edit->text().isEmpty() && !edit->hasSelectedText() &&
                edit->cursorPosition() > 0)
                enterField(index + 1, Entry::SelectAll);
            return true;
        case Qt::Key_Backspace:
        case Qt::Key_Left:
            if (index == 0 || !atStart || key->modifiers() & Qt::ShiftModifier) return false;
            enterField(index - 1, Entry::End);
            return true;
        case Qt::Key_Right:
            if (index == 3 || !atEnd || key->modifiers() & Qt::ShiftModifier) return false;
            enterField(index + 1, Entry::Start);
            return true;
        default:
            return false;
    }
}

void Ipv4Edit::paste(int index, const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.contains(QLatin1Char('.'))) {
        const auto octets = parseAddress(trimmed);
        if (!octets) {
            QApplication::beep();
            return;
        }
        for (int i = 0; i < 4; ++i) setField(i, (*octets)[static_cast<std::size_t>(i)]);
        enterField(3, Entry::End);
        return;
    }
    QLineEdit* edit = fieldEdit(index);
    if (!isOctetText(textAfterInsert(edit, trimmed))) {
        QApplication::beep();
        return;
    }
    edit->insert(trimmed);
}

void Ipv4Edit::showContextMenu(int index, const QPoint& globalPos) {
    QLineEdit* edit = fieldEdit(index);
    QMenu* menu = edit->createStandardContextMenu();
    // The menu's Paste goes through the same rule as Ctrl+V. Qt 6.4 leaves the action
    // unnamed, so its text (translated as QLineEdit translates it) tells it. Missed,
    // QLineEdit's own paste still refuses an address through the field's validator.
    // (Held in a variable: the text is Qt's, not one for our own translation files.)
    static constexpr const char* kQtPaste = "&Paste";
    const QString pasteText = QLineEdit::tr(kQtPaste);
    for (QAction* action : menu->actions()) {
        if (action->objectName() != QLatin1String("edit-paste") &&
            !action->text().startsWith(pasteText))
            continue;
        disconnect(action, &QAction::triggered, edit, nullptr);
        connect(action, &QAction::triggered, this,
                [this, index] { paste(index, QGuiApplication::clipboard()->text()); });
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPos);
}

bool Ipv4Edit::eventFilter(QObject* watched, QEvent* event) {
    int index = 0;
    while (index < 4 && watched != m_fields[static_cast<std::size_t>(index)]) ++index;
    if (index == 4) return QFrame::eventFilter(watched, event);
    QLineEdit* edit = fieldEdit(index);

    switch (event->type()) {
        case QEvent::KeyPress:
            if (keyPress(index, static_cast<QKeyEvent*>(event))) return true;
            break;
        case QEvent::ContextMenu:
            showContextMenu(index, static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::MiddleButton &&
                QGuiApplication::clipboard()->supportsSelection()) {
                paste(index, QGuiApplication::clipboard()->text(QClipboard::Selection));
                return true;
            }
            if (mouse->button() == Qt::LeftButton && m_enteredByMouse == edit) {
                m_enteredByMouse = nullptr;
                // A drag that selected part of the text keeps that selection.
                if (!edit->hasSelectedText()) edit->selectAll();
            }
            break;
        }
        case QEvent::MouseButtonPress:
            m_addressEnded = false;
            break;
        case QEvent::FocusIn: {
            if (!m_focusInside) m_addressEnded = false;
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            m_enteredByMouse = !m_focusInside && reason == Qt::MouseFocusReason ? edit : nullptr;
            m_focusInside = true;
            break;
        }
        case QEvent::FocusOut: {
            // Only leaving the whole control counts, not moving between its fields.
            // The application's focus widget is already the new one when FocusOut arrives.
            const QWidget* now = QApplication::focusWidget();
            bool inside = false;
            for (QLineEdit* other : m_fields)
                if (other == now) inside = true;
            if (!inside) {
                m_focusInside = false;
                emit editingFinished();
            }
            break;
        }
        default:
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

#pragma once
// IPv4 address entry: four fields of 0..255. An empty field reads as 0, as the address
// controls of the product's dialogs do.
//
// Keys and pastes follow the platform's address control, with its rules made explicit:
// - A digit goes in only when its field stays a plain octet (0..255, no leading zero). When the
//   field then can take no further digit (three digits, a value above 25, or a lone 0) and the
//   cursor is at its end, the next field takes over with its text selected, so that typing
//   goes on over it. A digit that does not fit a full field whose cursor is at the end starts
//   the next field.
// - "." (or space) moves to the next field, text selected, only after typed digits: the field
//   holds text, the cursor is not at its start and nothing is selected. Otherwise it is
//   swallowed; above all the "." typed right after the automatic move, so that typing
//   "192.168.1.20" over any address gives 192.168.1.20.
// - A digit typed at the start of a field that holds digits types the field over (the old
//   digits are not pushed along). A "." in the last field after its digits ends the address:
//   digits typed after it are dropped until another key, a click or leaving the control. So a
//   whole address typed from any field fills the fields from there on, as the platform's
//   control does, and what is left over is not wrapped into the fields before.
// - Backspace and Left at the start of a field go to the end of the previous one; Right at the
//   end of a field goes to the start of the next one.
// - Entering the control with a mouse click selects the clicked field's text, as Tab does.
// - A pasted text with a dot (surrounding white space ignored) must be a whole address, four
//   decimal parts of 0..255: it fills all four fields, whichever field has the focus. Anything
//   else with a dot is refused: a beep, nothing changes. A text without a dot goes into the
//   field only if the field stays an octet. (Dropped text is the field's own: an octet or
//   nothing.)
#include <QFrame>
#include <QString>
#include <array>
#include <cstdint>

class QKeyEvent;
class QLineEdit;

namespace kvt::gui {

class Ipv4Edit : public QFrame {
    Q_OBJECT
public:
    explicit Ipv4Edit(QWidget* parent = nullptr);

    // "%u.%u.%u.%u", first octet first; empty fields count as 0.
    QString text() const;
    // Accepts a dotted address; fields that are missing or not a number 0..255 stay empty.
    // An empty text clears all four fields.
    void setText(const QString& text);
    void clear();
    // True when all four fields are empty.
    bool isBlank() const;

    // Octet `index` (0..3): 0 when empty.
    int field(int index) const;
    void setField(int index, int value);
    QLineEdit* fieldEdit(int index) const { return m_fields.at(static_cast<std::size_t>(index)); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    // A field's text was changed by the user or by code.
    void fieldChanged(int index);
    // A field lost the focus (input checks run on the focus leaving the control).
    void editingFinished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    enum class Entry { SelectAll, Start, End };
    void enterField(int index, Entry entry);
    // Returns true when the key has been dealt with here.
    bool keyPress(int index, QKeyEvent* key);
    void paste(int index, const QString& text);
    void showContextMenu(int index, const QPoint& globalPos);

    std::array<QLineEdit*, 4> m_fields{};
    bool m_digitTyped = false;  // the key being handled is a digit the field takes
    bool m_focusInside = false;
    bool m_addressEnded = false;  // a '.' closed the last field: further digits are dropped
    QLineEdit* m_enteredByMouse = nullptr;  // its text gets selected when the click ends
};

}  // namespace kvt::gui

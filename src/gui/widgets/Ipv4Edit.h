#pragma once
// IPv4 address entry: four fields of 0..255. An empty field reads as 0, as the address
// controls of the product's dialogs do.
#include <QFrame>
#include <QString>
#include <array>
#include <cstdint>

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
    std::array<QLineEdit*, 4> m_fields{};
};

}  // namespace kvt::gui

#pragma once
// The advanced page (background configuration only): how the device obtains its IP settings
// and the EtherNet/IP assembly sizes.
#include <array>

#include "core/config/Rules.h"
#include "gui/editor/PropertyPage.h"

class QLabel;
class QLineEdit;
class QRadioButton;

namespace kvt::gui {

class CMyPropertyPage9 : public PropertyPage {
    Q_OBJECT
public:
    explicit CMyPropertyPage9(Session& session, QWidget* parent = nullptr);

    QString title() const override;
    bool deactivate() override;

    QRadioButton* pcRadio() const { return m_pcRadio; }
    QRadioButton* uartRadio() const { return m_uartRadio; }
    QLabel* uartNote() const { return m_notes[0]; }
    // Size edits in the model's order: 102, 101, 103, 112, 111, 113, 122, 121, 123.
    QLineEdit* sizeEdit(std::size_t index) const { return m_sizes.at(index); }

    static bool isConfigurationSize(std::size_t index) { return isConfigurationInstance(index); }

protected:
    void initialise() override;
    bool onActivate() override;

private:
    void chooseMethod(int method);
    void showNotes(bool on);
    void checkSize(std::size_t index);

    QRadioButton* m_pcRadio;
    QRadioButton* m_uartRadio;
    std::array<QLabel*, 3> m_notes{};
    std::array<QLineEdit*, 9> m_sizes{};
};

}  // namespace kvt::gui

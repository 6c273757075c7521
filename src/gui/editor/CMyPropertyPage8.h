#pragma once
// The IP address report page: whether the device reports its address, where to and how often.
#include "core/config/Rules.h"
#include "gui/editor/PropertyPage.h"

class QCheckBox;
class QLineEdit;

namespace kvt::gui {

class Ipv4Edit;

class CMyPropertyPage8 : public PropertyPage {
    Q_OBJECT
public:
    explicit CMyPropertyPage8(Session& session, QWidget* parent = nullptr);

    QString title() const override;

    QCheckBox* enableBox() const { return m_enable; }
    Ipv4Edit* targetEdit() const { return m_target; }
    QLineEdit* portEdit() const { return m_port; }
    QLineEdit* periodEdit() const { return m_period; }

protected:
    bool onActivate() override;

private:
    void enableValues(bool on);
    void checkNumber(QLineEdit* edit, std::int32_t& stored, NumberRange range);

    QCheckBox* m_enable;
    Ipv4Edit* m_target;
    QLineEdit* m_port;
    QLineEdit* m_period;
    bool m_filling = false;
};

}  // namespace kvt::gui

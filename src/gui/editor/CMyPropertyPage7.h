#pragma once
// The password page: the user password and, in a background configuration, the administrator
// password, each typed twice.
#include "gui/editor/PropertyPage.h"

class QGroupBox;
class QLabel;
class QLineEdit;

namespace kvt::gui {

class CMyPropertyPage7 : public PropertyPage {
    Q_OBJECT
public:
    enum Pair { User, Admin };

    explicit CMyPropertyPage7(Session& session, QWidget* parent = nullptr);

    QString title() const override;
    bool deactivate() override;

    QLineEdit* passwordEdit(Pair pair) const {
        return pair == User ? m_userPassword : m_adminPassword;
    }
    QLineEdit* confirmEdit(Pair pair) const {
        return pair == User ? m_userConfirm : m_adminConfirm;
    }
    QGroupBox* adminGroup() const { return m_adminGroup; }
    QLabel* messageLine() const { return m_messageLine; }

protected:
    void initialise() override;
    bool onActivate() override;

private:
    Gbk& stored(Pair pair) const;
    // The text of a password edit as it may be stored; nullopt when it is too long or holds
    // a character GBK cannot hold (the message line then says which, and the edit empties).
    std::optional<Gbk> checkLength(Pair pair);
    void checkMatch(Pair pair);
    bool storePair(Pair pair);

    QLineEdit* m_userPassword;
    QLineEdit* m_userConfirm;
    QGroupBox* m_adminGroup;
    QLineEdit* m_adminPassword;
    QLineEdit* m_adminConfirm;
    QLabel* m_messageLine;
};

}  // namespace kvt::gui

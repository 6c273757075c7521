#include "gui/editor/CMyPropertyPage9.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/text/ExtraText.h"
#include "core/text/UiText.h"
#include "gui/base/MessageBox.h"
#include "gui/base/TextInput.h"

namespace kvt::gui {

namespace {

struct SizeRow {
    const char* label;
    const char* unit;
};
constexpr std::array<SizeRow, 9> kRows = {{
    {"Assembly Instance 102(Input):", "+4(bytes)"},
    {"Assembly Instance 101(Output):", "(bytes)"},
    {"Assembly Instance 103(Configuration):", "(bytes)"},
    {"Assembly Instance 112(Input):", "+4(bytes)"},
    {"Assembly Instance 111(Output):", "(bytes)"},
    {"Assembly Instance 113(Configuration):", "(bytes)"},
    {"Assembly Instance 122(Input):", "+4(bytes)"},
    {"Assembly Instance 121(Output):", "(bytes)"},
    {"Assembly Instance 123(Configuration):", "(bytes)"},
}};

// Digits only, 0..256: a text without digits would reach the device as 0, silently.
bool sizeInRange(std::string_view text) {
    return typedNumber(text, kAssemblySizeRange).has_value();
}
bool sizeInRange(const QString& text) {
    return sizeInRange(text.toStdString());
}

}  // namespace

CMyPropertyPage9::CMyPropertyPage9(Session& session, QWidget* parent)
    : PropertyPage(session, parent) {
    auto* layout = new QVBoxLayout(this);

    auto* methodBox = new QGroupBox(tr("获得IP地址方式"), this);
    auto* methodLayout = new QVBoxLayout(methodBox);
    m_pcRadio = new QRadioButton(tr("使用PC配置软件设置"), methodBox);
    m_uartRadio = new QRadioButton(tr("使用串口（UART）设置"), methodBox);
    methodLayout->addWidget(m_pcRadio);
    methodLayout->addWidget(m_uartRadio);
    m_notes[0] = new QLabel(
        tr("【注：选择此功能后必须向串口发送正确的初始化报文才能启动以太网接口！】"), methodBox);
    m_notes[0]->setWordWrap(true);
    m_notes[0]->setStyleSheet(QStringLiteral("color: #c00000;"));
    // Its room is kept while it is hidden: the editor does not grow and stay grown as the
    // method is switched back and forth.
    QSizePolicy keepRoom = m_notes[0]->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    m_notes[0]->setSizePolicy(keepRoom);
    methodLayout->addWidget(m_notes[0]);
    // The two further note lines are empty: they come and go with the note but take no room,
    // where an empty label would leave a blank line each under it.
    for (std::size_t i = 1; i < m_notes.size(); ++i) {
        m_notes[i] = new QLabel(methodBox);
        m_notes[i]->setFixedSize(0, 0);
    }
    showNotes(false);
    methodBox->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    layout->addWidget(methodBox);

    auto* sizesBox = new QGroupBox(tr("Ethernet/IP连接参数"), this);
    auto* grid = new QGridLayout(sizesBox);
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        const int row = static_cast<int>(i);
        grid->addWidget(new QLabel(fromUtf8(kRows[i].label), sizesBox), row, 0);
        m_sizes[i] = new QLineEdit(sizesBox);
        m_sizes[i]->setMaximumWidth(80);
        grid->addWidget(m_sizes[i], row, 1);
        grid->addWidget(new QLabel(fromUtf8(kRows[i].unit), sizesBox), row, 2);
        if (isConfigurationSize(i))
            m_sizes[i]->setEnabled(false);
        else
            onFocusLost(m_sizes[i], [this, i] { checkSize(i); });
    }
    grid->setColumnStretch(3, 1);
    sizesBox->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    layout->addWidget(sizesBox);
    layout->addStretch(1);

    // The two radios form one group; the page keeps them in step with the stored method.
    auto* group = new QButtonGroup(this);
    group->addButton(m_pcRadio, 0);
    group->addButton(m_uartRadio, 1);
    connect(m_pcRadio, &QRadioButton::clicked, this, [this] { chooseMethod(0); });
    connect(m_uartRadio, &QRadioButton::clicked, this, [this] { chooseMethod(1); });
    installEnterRule();
}

QString CMyPropertyPage9::title() const {
    return tr("后台参数");
}

void CMyPropertyPage9::initialise() {
    CParameter& parameter = config()->parameter;
    if (parameter.ipSettingMethod != 0 && parameter.ipSettingMethod != 1)
        parameter.ipSettingMethod = 0;
    m_pcRadio->setChecked(parameter.ipSettingMethod == 0);
    m_uartRadio->setChecked(parameter.ipSettingMethod == 1);
    showNotes(parameter.ipSettingMethod == 1);
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        if (isConfigurationSize(i)) continue;
        // The stored size that cannot be sent as it is shows as a new configuration's.
        if (!sizeInRange(parameter.assemblySizes[i]))
            parameter.assemblySizes[i] = kDefaultAssemblySizes[i];
    }
    for (std::size_t i = 2; i < m_sizes.size(); i += 3) {
        m_sizes[i]->setText(QStringLiteral("0"));
        m_sizes[i]->setEnabled(false);
    }
}

bool CMyPropertyPage9::onActivate() {
    CConfiguration* cfg = config();
    if (!cfg) return true;
    showNotes(m_uartRadio->isChecked());
    for (std::size_t i = 0; i < m_sizes.size(); ++i)
        m_sizes[i]->setText(fromGbk(cfg->parameter.assemblySizes[i]));
    return true;
}

void CMyPropertyPage9::showNotes(bool on) {
    for (QLabel* note : m_notes) note->setVisible(on);
}

void CMyPropertyPage9::chooseMethod(int method) {
    if (!config()) return;
    m_pcRadio->setChecked(method == 0);
    m_uartRadio->setChecked(method == 1);
    showNotes(method == 1);
    std::int32_t& stored = config()->parameter.ipSettingMethod;
    if (stored != method) {
        stored = method;
        markChanged();
    }
}

void CMyPropertyPage9::checkSize(std::size_t index) {
    CConfiguration* cfg = config();
    if (!cfg) return;
    Gbk& stored = cfg->parameter.assemblySizes[index];
    QLineEdit* edit = m_sizes[index];
    // Unchanged text keeps the stored bytes, even those that do not show as GBK.
    if (edit->text() == fromGbk(stored)) return;
    const std::optional<Gbk> typed = toGbk(edit->text());
    if (!typed) {
        MessageBox::show(this, kMsgNotGbk, MessageBox::Buttons::Ok, MessageBox::Icon::Warning);
        edit->setText(fromGbk(stored));
        return;
    }
    if (!sizeInRange(edit->text())) {
        MessageBox::show(this, kTextOutOfRange, MessageBox::Buttons::Ok, MessageBox::Icon::Warning);
        edit->setText(fromGbk(stored));
        return;
    }
    if (*typed != stored) {
        stored = *typed;
        markChanged();
    }
}

bool CMyPropertyPage9::deactivate() {
    CConfiguration* cfg = config();
    if (!cfg) return true;
    // A size that escaped its lose-focus check is refused here rather than sent to the device.
    bool refused = false;
    for (std::size_t i = 0; i < m_sizes.size(); ++i) {
        if (isConfigurationSize(i)) continue;
        const QString text = m_sizes[i]->text();
        if (text == fromGbk(cfg->parameter.assemblySizes[i])) continue;
        if (!toGbk(text) || !sizeInRange(text)) {
            m_sizes[i]->setText(fromGbk(cfg->parameter.assemblySizes[i]));
            refused = true;
        }
    }
    if (refused) {
        MessageBox::show(this, kTextOutOfRange, MessageBox::Buttons::Ok, MessageBox::Icon::Warning);
        return false;
    }
    // The configuration sizes are shown only, so their stored texts stay as they are.
    for (std::size_t i = 0; i < m_sizes.size(); ++i) {
        if (isConfigurationSize(i) ||
            m_sizes[i]->text() == fromGbk(cfg->parameter.assemblySizes[i]))
            continue;
        cfg->parameter.assemblySizes[i] = *toGbk(m_sizes[i]->text());
        markChanged();
    }
    return true;
}

}  // namespace kvt::gui

#include "gui/editor/CMyPropertySheet.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>
#include <utility>

#include "core/text/UiText.h"
#include "gui/base/Session.h"
#include "gui/base/TextInput.h"
#include "gui/base/Texts.h"
#include "gui/editor/CClose.h"
#include "gui/editor/CMyPropertyPage2.h"
#include "gui/editor/CMyPropertyPage7.h"
#include "gui/editor/CMyPropertyPage8.h"
#include "gui/editor/CMyPropertyPage9.h"

namespace kvt::gui {

namespace {
constexpr int kWidening = 50;
}

CMyPropertySheet::CMyPropertySheet(Session& session, FlowUi& ui, SavePrompt& prompt,
                                   SaveChoice saveChoice, QWidget* parent)
    : QDialog(parent),
      m_session(session),
      m_ui(ui),
      m_prompt(prompt),
      m_saveChoice(std::move(saveChoice)) {
    m_session.ensureConfiguration();
    // "新建" and the read buttons' captions are table texts, an opened file's name is not.
    // A configuration read from a device names it; one from a file or New names that instead.
    const QString caption = shownValue(m_session.editorCaption, {4189, 4179, 4180});
    setWindowTitle(m_session.configOrigin == ConfigOrigin::ReadFromDevice
                       ? captionWithDevice(caption, m_session.selectedDevice())
                       : caption);

    auto* layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    m_page2 = new CMyPropertyPage2(session, m_tabs);
    m_page7 = new CMyPropertyPage7(session, m_tabs);
    m_page8 = new CMyPropertyPage8(session, m_tabs);
    m_tabs->addTab(m_page2, m_page2->title());
    m_tabs->addTab(m_page7, m_page7->title());
    m_tabs->addTab(m_page8, m_page8->title());
    if (m_session.configKind == kBackgroundConfig) {
        m_page9 = new CMyPropertyPage9(session, m_tabs);
        m_tabs->addTab(m_page9, m_page9->title());
    }
    // Every tab caption stays in view (the English captions are longer than the Chinese):
    // the sheet takes the width of the whole tab row instead of hiding tabs behind arrows.
    m_tabs->setUsesScrollButtons(false);
    layout->addWidget(m_tabs);

    auto* row = new QHBoxLayout;
    row->addStretch(1);
    m_ok = new QPushButton(uiString(195), this);
    m_cancel = new QPushButton(uiString(196), this);
    // Enter never presses OK: no button of the sheet is a default button.
    for (QPushButton* button : {m_ok, m_cancel}) {
        button->setAutoDefault(false);
        button->setDefault(false);
        row->addWidget(button);
    }
    layout->addLayout(row);
    connect(m_ok, &QPushButton::clicked, this, &CMyPropertySheet::accept);
    connect(m_cancel, &QPushButton::clicked, this, &CMyPropertySheet::reject);
    connect(m_tabs, &QTabWidget::currentChanged, this, &CMyPropertySheet::tabChanged);

    m_activeIndex = 0;
    m_page2->activate();
}

int CMyPropertySheet::pageCount() const {
    return m_tabs->count();
}

PropertyPage* CMyPropertySheet::currentPage() const {
    return qobject_cast<PropertyPage*>(m_tabs->widget(m_activeIndex));
}

void CMyPropertySheet::showEvent(QShowEvent* event) {
    if (!m_widened) {
        m_widened = true;
        const QSize natural = sizeHint();
        resize(natural.width() + kWidening, natural.height());
    }
    QDialog::showEvent(event);
}

void CMyPropertySheet::tabChanged(int index) {
    if (m_switching || index == m_activeIndex) return;
    PropertyPage* leaving = currentPage();
    auto* entering = qobject_cast<PropertyPage*>(m_tabs->widget(index));
    m_switching = true;
    if (leaving && !leaving->deactivate()) {
        // The page refuses to be left: back to it.
        m_tabs->setCurrentIndex(m_activeIndex);
    } else if (entering && !entering->activate()) {
        m_tabs->setCurrentIndex(m_activeIndex);
    } else {
        m_activeIndex = index;
    }
    m_switching = false;
}

void CMyPropertySheet::leaveControls() {
    QWidget* focus = focusWidget();
    if (focus && m_tabs->isAncestorOf(focus)) m_ok->setFocus(Qt::OtherFocusReason);
}

void CMyPropertySheet::accept() {
    leaveControls();
    PropertyPage* page = currentPage();
    if (page && !page->deactivate()) return;

    const bool mayClose = m_saveChoice(this);
    m_session.configChanged = false;
    if (mayClose) QDialog::accept();
}

void CMyPropertySheet::reject() {
    leaveControls();
    // The page in view stores what it holds, as leaving it would, so that an edit made there
    // gets the prompt too. A refusal does not keep the sheet open: Cancel goes on with what
    // the page's check left, and the check stores nothing it refuses.
    if (PropertyPage* page = currentPage()) page->deactivate();
    if (m_session.configChanged) {
        CClose prompt(m_session, m_ui, m_prompt, this);
        prompt.exec();
    }
    m_session.dropConfiguration();
    m_session.configChanged = false;
    QDialog::reject();
}

}  // namespace kvt::gui

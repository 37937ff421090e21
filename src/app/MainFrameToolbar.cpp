// The toolbar and the key bindings, and the カスタマイズ... dialog that changes them.
#include "app/MainFrame.h"

#include "base/CommandTable.h"
#include "app/CustomizeDlg.h"
#include "panes/ToolIcons.h"

#include <QAction>
#include <QDockWidget>
#include <QMenu>
#include <QToolBar>


void CMainFrame::CreateToolbar()
{
    m_toolbar = addToolBar(QStringLiteral("標準"));
    m_toolbar->setObjectName(QStringLiteral("StandardToolbar"));
    m_toolbar->setIconSize(QSize(16, 16));
    m_toolbar->setAllowedAreas(Qt::AllToolBarAreas);
    m_toolbarButtons = ToolbarLayout();
    BuildToolbar();
}

void CMainFrame::BuildToolbar()
{
    m_toolbar->clear();
    for (int id : m_toolbarButtons) {
        if (id == 0) {
            m_toolbar->addSeparator();
            continue;
        }
        QAction* action = m_actions.value(id);
        if (action->icon().isNull())
            action->setIcon(ToolIcons::CommandIcon(id));
        m_toolbar->addAction(action);
    }
}

void CMainFrame::SetToolbarButtons(const std::vector<int>& ids)
{
    std::vector<int> kept;
    for (int id : ids) {
        if (id == 0) {
            if (!kept.empty() && kept.back() != 0)
                kept.push_back(0);
        } else if (m_actions.contains(id)) {
            kept.push_back(id);
        }
    }
    while (!kept.empty() && kept.back() == 0)
        kept.pop_back();
    m_toolbarButtons = kept;
    BuildToolbar();
}

void CMainFrame::ApplyKeyBindings()
{
    // Key bindings live in actions of their own, so that the menus show exactly their own
    // labels (F12 is bound although its menu text shows no key).
    qDeleteAll(m_accelerators);
    m_accelerators.clear();
    for (int id : m_keys.Commands()) {
        auto* key = new QAction(this);
        key->setShortcuts(m_keys.Keys(id));
        key->setShortcutContext(Qt::WindowShortcut);
        key->setData(id);
        connect(key, &QAction::triggered, this, [this, id] { ExecuteCommand(id); });
        addAction(key);
        m_accelerators << key;
    }
    // A menu item shows its own label while its keys are the program's; a changed one shows
    // its first key (or none).
    const CKeyBindings defaults = CKeyBindings::Defaults();
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it) {
        const CommandInfo* info = FindCommand(it.key());
        if (!info)
            continue;
        const QList<QKeySequence> keys = m_keys.Keys(it.key());
        QString text = info->text;
        if (keys != defaults.Keys(it.key())) {
            text = text.section(QLatin1Char('\t'), 0, 0);
            if (!keys.isEmpty())
                text += QLatin1Char('\t') + keys.front().toString(QKeySequence::NativeText);
        }
        it.value()->setText(text);
    }
}

void CMainFrame::SetKeyBindings(const CKeyBindings& keys)
{
    m_keys = keys;
    ApplyKeyBindings();
}

void CMainFrame::Customize()
{
    CCustomizeDlg dlg(this);
    if (dlg.exec() == QDialog::Accepted)
        dlg.ApplyTo(*this);
}

QMenu* CMainFrame::createPopupMenu()
{
    // The toolkit lists bars and panes in the order of its layout, which changes as panes are
    // moved, floated or maximised; the list keeps the frame's own fixed order instead.
    auto* menu = new QMenu(this);
    menu->addAction(m_toolbar->toggleViewAction());
    menu->addSeparator();
    for (int id : {ID_PANE_INFO, ID_PANE_OUTPUT, ID_PANE_PROPERTIES, ID_PANE_STRUCT, ID_PANE_BITMAP}) {
        if (QDockWidget* pane = Pane(id))
            menu->addAction(pane->toggleViewAction());
    }
    menu->addSeparator();
    menu->addAction(m_customize);
    return menu;
}

// The toolbar and the key bindings, and the カスタマイズ... dialog that changes them.
#include "app/MainFrame.h"

#include "app/CommandTable.h"
#include "app/CustomizeDlg.h"

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <QToolBar>

namespace {

// A small toolbar picture: the standard icon where the style has a fitting one, otherwise one
// or two characters in a frame, so that every button is recognisable without a resource file.
QIcon ToolIcon(QStyle* style, int id)
{
    switch (id) {
    case ID_FILE_NEW: return style->standardIcon(QStyle::SP_FileIcon);
    case ID_FILE_OPEN: return style->standardIcon(QStyle::SP_DialogOpenButton);
    case ID_FILE_SAVE: return style->standardIcon(QStyle::SP_DialogSaveButton);
    case ID_EDIT_UNDO: return style->standardIcon(QStyle::SP_ArrowBack);
    case ID_EDIT_REDO: return style->standardIcon(QStyle::SP_ArrowForward);
    default: break;
    }
    QString glyph;
    switch (id) {
    case ID_DIRECT_EDIT: glyph = QStringLiteral("直"); break;
    case ID_FILE_SAVE_AS: glyph = QStringLiteral("名"); break;
    case ID_FILE_PRINT: glyph = QStringLiteral("印"); break;
    case ID_EDIT_LOCK: glyph = QStringLiteral("禁"); break;
    case ID_FILE_PROPERTIES: glyph = QStringLiteral("P"); break;
    case ID_EDIT_CUT: glyph = QStringLiteral("✂"); break;
    case ID_EDIT_COPY: glyph = QStringLiteral("C"); break;
    case ID_COPY_AS_TEXT: glyph = QStringLiteral("字"); break;
    case ID_EDIT_PASTE: glyph = QStringLiteral("V"); break;
    case ID_PASTE_AS_NUMBER: glyph = QStringLiteral("数"); break;
    case ID_FOLDER_SEARCH: glyph = QStringLiteral("F"); break;
    case ID_DIFF_START: glyph = QStringLiteral("比"); break;
    case ID_DIFF_END: glyph = QStringLiteral("解"); break;
    case ID_DIFF_PREV: glyph = QStringLiteral("◁"); break;
    case ID_DIFF_NEXT: glyph = QStringLiteral("▷"); break;
    case ID_BOOKMARK_OPEN_LIST: glyph = QStringLiteral("L"); break;
    case ID_BOOKMARK_SAVE_LIST: glyph = QStringLiteral("S"); break;
    case ID_BOOKMARK: glyph = QStringLiteral("B"); break;
    case ID_BOOKMARK_PREV: glyph = QStringLiteral("↑"); break;
    case ID_BOOKMARK_NEXT: glyph = QStringLiteral("↓"); break;
    case ID_BOOKMARK_CLEAR: glyph = QStringLiteral("×"); break;
    case ID_MACRO_RECORD: glyph = QStringLiteral("●"); break;
    case ID_MACRO_PLAY: glyph = QStringLiteral("▶"); break;
    case ID_JUMP_TOP: glyph = QStringLiteral("先"); break;
    case ID_JUMP_END: glyph = QStringLiteral("末"); break;
    default: {
        // Buttons the user adds: the first character of the command's name.
        const CommandInfo* info = FindCommand(id);
        glyph = info && !info->text.isEmpty() ? info->text.left(1) : QStringLiteral("?");
        break;
    }
    }
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x40, 0x60, 0x90), 2));
    p.setBrush(QColor(0xf4, 0xf7, 0xfb));
    p.drawRoundedRect(QRectF(2, 2, 28, 28), 5, 5);
    QFont f = p.font();
    f.setPixelSize(glyph.size() > 1 ? 13 : 20);
    f.setBold(true);
    p.setFont(f);
    p.setPen(id == ID_MACRO_RECORD ? QColor(0xc0, 0x20, 0x20) : QColor(0x20, 0x30, 0x50));
    p.drawText(QRect(0, 0, 32, 32), Qt::AlignCenter, glyph);
    return QIcon(pm);
}

} // namespace

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
            action->setIcon(ToolIcon(style(), id));
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
    QMenu* menu = QMainWindow::createPopupMenu();
    if (!menu)
        menu = new QMenu(this);
    menu->addSeparator();
    menu->addAction(m_customize);
    return menu;
}

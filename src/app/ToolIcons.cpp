// The pictures of the toolbar's commands and of the program itself.
#include "app/ToolIcons.h"

#include "app/CommandIds.h"

#include <array>

namespace {

struct IconName
{
    int id;
    const char* theme; // freedesktop icon name, or null
    const char* own;   // our drawn picture under :/icons/tool/
};

// Standard names only where the meaning is the same; the rest are ours alone.
constexpr std::array kIcons{
    IconName{ID_FILE_NEW, "document-new", "file-new"},
    IconName{ID_FILE_OPEN, "document-open", "file-open"},
    IconName{ID_DIRECT_EDIT, nullptr, "direct-edit"},
    IconName{ID_FILE_SAVE, "document-save", "file-save"},
    IconName{ID_FILE_SAVE_AS, "document-save-as", "file-save-as"},
    IconName{ID_FILE_PRINT, "document-print", "file-print"},
    IconName{ID_EDIT_LOCK, nullptr, "edit-lock"},
    IconName{ID_FILE_PROPERTIES, "document-properties", "file-properties"},
    IconName{ID_EDIT_CUT, "edit-cut", "edit-cut"},
    IconName{ID_EDIT_COPY, "edit-copy", "edit-copy"},
    IconName{ID_COPY_AS_TEXT, nullptr, "copy-as-text"},
    IconName{ID_EDIT_PASTE, "edit-paste", "edit-paste"},
    IconName{ID_PASTE_AS_NUMBER, nullptr, "paste-as-number"},
    IconName{ID_EDIT_UNDO, "edit-undo", "edit-undo"},
    IconName{ID_EDIT_REDO, "edit-redo", "edit-redo"},
    IconName{ID_FOLDER_SEARCH, nullptr, "folder-search"},
    IconName{ID_DIFF_START, nullptr, "diff-start"},
    IconName{ID_DIFF_END, nullptr, "diff-end"},
    IconName{ID_DIFF_PREV, nullptr, "diff-prev"},
    IconName{ID_DIFF_NEXT, nullptr, "diff-next"},
    IconName{ID_JUMP_TOP, "go-top", "jump-top"},
    IconName{ID_JUMP_END, "go-bottom", "jump-end"},
    IconName{ID_BOOKMARK_OPEN_LIST, nullptr, "bookmark-open-list"},
    IconName{ID_BOOKMARK_SAVE_LIST, nullptr, "bookmark-save-list"},
    IconName{ID_BOOKMARK, "bookmark-new", "bookmark"},
    IconName{ID_BOOKMARK_PREV, nullptr, "bookmark-prev"},
    IconName{ID_BOOKMARK_NEXT, nullptr, "bookmark-next"},
    IconName{ID_BOOKMARK_CLEAR, nullptr, "bookmark-clear"},
    IconName{ID_MACRO_RECORD, "media-record", "macro-record"},
    IconName{ID_MACRO_PLAY, "media-playback-start", "macro-play"},
    IconName{ID_SEARCH, "edit-find", "search"},
    IconName{ID_SEARCH_PREV, nullptr, "search-prev"},
    IconName{ID_SEARCH_NEXT, nullptr, "search-next"},
    IconName{ID_REPLACE, "edit-find-replace", "replace"},
    // The properties pane's own buttons.
    IconName{ID_EXPAND_ALL, nullptr, "expand-all"},
    IconName{ID_SUM, nullptr, "sum"},
    IconName{ID_SAME_SEARCH, nullptr, "same-search"},
    IconName{ID_ADDRESS_JUMP, "go-jump", "address-jump"},
};

const IconName* Find(int id)
{
    for (const IconName& n : kIcons) {
        if (n.id == id)
            return &n;
    }
    return nullptr;
}

} // namespace

namespace ToolIcons {

QString ThemeName(int id)
{
    const IconName* n = Find(id);
    return n && n->theme ? QString::fromLatin1(n->theme) : QString();
}

QIcon OwnIcon(int id)
{
    const IconName* n = Find(id);
    // Commands a user adds to the toolbar without a picture of their own get the general one.
    const QString name = n ? QString::fromLatin1(n->own) : QStringLiteral("command");
    return QIcon(QStringLiteral(":/icons/tool/%1.svg").arg(name));
}

QIcon CommandIcon(int id)
{
    const QString theme = ThemeName(id);
    if (!theme.isEmpty() && QIcon::hasThemeIcon(theme))
        return QIcon::fromTheme(theme);
    return OwnIcon(id);
}

QIcon AppIcon()
{
    QIcon own;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        own.addFile(QStringLiteral(":/icons/app/%1.png").arg(size), QSize(size, size));
    return QIcon::fromTheme(QStringLiteral("com.pellamy.Quorvane"), own);
}

} // namespace ToolIcons

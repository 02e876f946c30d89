// The registry names that tie a program to its Explorer context-menu extension. The switch of the
// toolkit and the extension DLLs (which include no other project header) share them.
#pragma once

// The handler keys are named "<maker word>.<program>" ("TarveloSoftware.Lumivo") under both parents
// (HKEY_CLASSES_ROOT): files of every type, and folders.
#define SHELLEXT_MAKER_WORD L"TarveloSoftware"
#define SHELLEXT_FILES_PARENT_KEY L"*\\ShellEx\\ContextMenuHandlers"
#define SHELLEXT_FOLDERS_PARENT_KEY L"Folder\\ShellEx\\ContextMenuHandlers"

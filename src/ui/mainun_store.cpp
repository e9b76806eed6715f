// SPDX-License-Identifier: GPL-3.0-or-later
// mainun_store: the main window's side of its window state store `wr`: the files-count persistence
// (section "Options", ident "Filecount").
#include "ui/mainun.h"

#include "platform/Application.h"
#include "platform/UserFolders.h"
#include "scan/filefunction.h"
#include "winstate/WinRstorQt.h"

void TVorlantMainform::ConnectStore()
{
    InstallQtWinStateBridge();
    wr = dynamic_cast<TWinRestorer *>(FindComponent("wr"));
    if (!wr)
        return; // a description without a store: nothing persists
    // Next to the executable when that folder can be written (a portable copy); an installed
    // program's folder cannot be, and a store there would never remember anything: the user's
    // configuration folder then holds the INI file instead.
    if (wr->SaveTo() == SLocalDir && !FolderWritable(ExtractPath(Application().ExeName())))
        wr->SetSaveTo(SWinDir);
    wr->SetOnReadComponentValue([this](TObject *sender, TComponent *component, std::string &section, std::string ident) {
        return wrReadComponentValue(sender, component, section, std::move(ident));
    });
    wr->SetOnSaveComponentValue([this](TObject *sender, TComponent *component, std::string &section, std::string ident) {
        return wrSaveComponentValue(sender, component, section, std::move(ident));
    });
}

bool TVorlantMainform::wrReadComponentValue(TObject *, TComponent *component, std::string &, std::string)
{
    if (component == dxBarEdit1)
        dxBarEdit1->SetText(wr->ReadString("Options", "Filecount", dxBarEdit1->Text()));
    return false;
}

bool TVorlantMainform::wrSaveComponentValue(TObject *, TComponent *component, std::string &, std::string)
{
    if (component == dxBarEdit1)
        wr->WriteString("Options", "Filecount", dxBarEdit1->Text());
    return false;
}

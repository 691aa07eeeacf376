#pragma once

#include <QString>

class QWidget;
class TfmGeneral;

// Everything the main window hands to other parts of the program: the update
// check, placement, settings, hotkeys, session watchers, the launcher, the icon
// picker, the key-set manager, tree editing and the notes toolbar. Every method
// does nothing by default, so the window works without them and a test fake
// overrides only what it records. A method that shows a window of its own and
// wants the main window disabled meanwhile disables it itself.
class GeneralServices {
public:
    virtual ~GeneralServices() = default;

    // Update check (TUpdateApp) with the running version label; runs once the window is first shown.
    virtual void TUpdateApp(TfmGeneral& window, const QString& perVersion);
    // Places form on monitor (0 first, 1 second, -1 unset) at the left (0) or right (1) edge.
    virtual void POSITION_FORM_ON_MONITOR(QWidget* form, int perMONITOR, int perPOSITION);
    // The settings button: opens the settings window without blocking (BitBtn5Click).
    virtual void BitBtn5Click(TfmGeneral& window);

    // Installs the keyboard hook for the two-key combination (initialization_hotkey).
    virtual void initialization_hotkey(TfmGeneral& window);
    // Removes the keyboard hook; called on every close, installed or not (deinitialization_hotkey).
    virtual void deinitialization_hotkey(TfmGeneral& window);
    // One key report of the hook (WndProc, message 1256): the keyboard message and the virtual-key code.
    virtual void WndProc(TfmGeneral& window, int wParam, int lParam);
    // Starts the double-press watcher (start_potok).
    virtual void start_potok(TfmGeneral& window);
    // Asks the double-press watcher to end and waits for it (stop_potok).
    virtual void stop_potok(TfmGeneral& window);

    // Starts the node-unbolding watcher (start_potok3).
    virtual void start_potok3(TfmGeneral& window);
    // Stops the node-unbolding watcher and waits until it has ended (stop_potok3).
    virtual void stop_potok3(TfmGeneral& window);
    // Timer1 fired: the Remote Desktop session search ran out of time (Timer1Timer).
    virtual void Timer1Timer(TfmGeneral& window);

    // Starts a connection to the loaded object (BitBtn1Click; TreeView1DblClick too).
    virtual void BitBtn1Click(TfmGeneral& window);

    // Opens the icon picker for the loaded object (Image1Click).
    virtual void Image1Click(TfmGeneral& window);
    // Opens the key-set manager on the key set of this ID, 0 for none (BitBtn12Click).
    virtual void BitBtn12Click(TfmGeneral& window, int keySetId);

    // Creates an object under the selected node, or at the top level (CreateObjectOnTreeView).
    virtual void CreateObjectOnTreeView(TfmGeneral& window);
    // Asks, then deletes the selected object with its subtree (N1Click, Delete key).
    virtual void DeleteObjectOnTreeView(TfmGeneral& window);
    // Moves the selected node one place up among its siblings (N4Click).
    virtual void N4Click(TfmGeneral& window);
    // Moves the selected node one place down among its siblings (N5Click).
    virtual void N5Click(TfmGeneral& window);
    // A node was dropped on another (TreeView1DragDrop): identities of both.
    virtual void TreeView1DragDrop(TfmGeneral& window, int draggedId, int targetId);
    // Searches the tree for text; again is true for "find next" (Edit_SearchInTreeViewKeyUp, BitBtn11Click).
    virtual void StartSearchInTreeView(TfmGeneral& window, const QString& text, bool again);

    // A notes toolbar button or the size box was used; action is the control's objectName.
    virtual void notesToolbar(TfmGeneral& window, const QString& action);
    // The selection of RichEditNotes changed (RichEditNotesSelectionChange).
    virtual void RichEditNotesSelectionChange(TfmGeneral& window);

    // The window's controls exist and its tree is about to be built from the table (FormCreate).
    virtual void windowCreated(TfmGeneral& window);
    // The window closes for good (FormClose).
    virtual void windowClosing(TfmGeneral& window);
};

// The do-nothing instance used when no other one is passed in.
GeneralServices& noGeneralServices();

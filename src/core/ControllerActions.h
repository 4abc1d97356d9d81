#pragma once
// What a feature may ask of the main controller: operations that span several features or the
// whole window. The controller implements them; a feature receives this interface, never the
// controller itself.

class ControllerActions {
 public:
  virtual ~ControllerActions() = default;

  // Empties the task queue; the dropped tasks' UI epilogues still run. Any thread.
  virtual void DropQueuedTasks() = 0;
  // Shows a main page. Any thread: the switch happens on the UI thread.
  virtual void ShowPage(int pageId) = 0;
  // Makes a catalogue model current: title, database, layout, tabs. Any thread.
  virtual void LoadKeyboardModel(int modelId) = 0;
  // Closes the application's pop-up windows (wait dialogs, message boxes, menus). Any thread.
  virtual void CloseChildWindows() = 0;
  // Worker: the profile list and every page of the active profile, read again from the
  // database and the keyboard.
  virtual void LoadProfileList() = 0;
  // Worker: the pages of the current profile shown again.
  virtual void ShowProfilePages() = 0;
  // UI thread: forget the chosen background pictures and show the default ones.
  virtual void RestoreDefaultBackgrounds() = 0;
  // Ends the application through the orderly shutdown: the worker stops between tasks, every
  // room shuts down, the window closes and the process exits with 0. Any thread: it happens
  // on the UI thread after what is queued there now.
  virtual void CloseApplication() = 0;
  // The firmware updater runs as `processId`: the window hides, the worker lets go of the
  // keyboard and waits for the updater to end, then shows the window and looks for the
  // keyboard again. Any thread.
  virtual void WatchUpdater(int processId) = 0;
};

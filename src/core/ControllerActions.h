#pragma once
// What features ask of the main controller: operations that span several features or the
// whole window. The controller implements them; features reach them through the context.

class ControllerActions {
 public:
  virtual ~ControllerActions() = default;

  // Empties the task queue; the dropped tasks' UI epilogues still run.
  virtual void DropQueuedTasks() = 0;
  // Shows the main page at a tab position. Any thread: the switch happens on the UI thread.
  virtual void ShowMainTab(int tabPosition) = 0;
  // Makes a catalogue model current: title, database, layout. Any thread.
  virtual void LoadKeyboardModel(int modelId) = 0;
  // Closes the application's pop-up windows (wait dialogs, message boxes, menus).
  virtual void CloseChildWindows() = 0;
};

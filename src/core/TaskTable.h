#pragma once
// The worker's table of tasks: for each code its traits (name, when it may run, the wait
// dialog) and what the feature that owns it registered: the work on the worker and the
// epilogue on the UI thread, which runs whether the task ran or was dropped.

#include <array>
#include <functional>

#include "core/TaskCodes.h"

struct TaskSpec {
  const char* name = nullptr;  // null: no task has this code
  task::When when = task::When::Connected;
  bool waitDialog = false;
  std::function<void()> run;       // worker thread
  std::function<void()> epilogue;  // UI thread, after the task ran or was dropped
};

class TaskTable {
 public:
  // Every code of the task list, with its traits and nothing to run yet.
  TaskTable();

  // A feature's work for one of the codes; codes without traits are ignored.
  void SetRun(int code, std::function<void()> run, std::function<void()> epilogue = {});
  // The spec of a code; null for codes without a task (10, 21, 28, and any unknown code).
  const TaskSpec* Find(int code) const;
  TaskSpec* FindMutable(int code);

 private:
  std::array<TaskSpec, task::kLastCode + 1> specs_;
};

#pragma once
// The table of worker tasks: for each code its name, when it may run, whether it closes the
// generic wait dialog afterwards, what runs on the worker and what runs on the UI thread
// afterwards whether the task ran or was dropped.

#include <array>
#include <functional>

#include "core/TaskCodes.h"

enum class TaskWhen {
  Always,     // runs in every state
  Connected,  // runs only while a keyboard is present and online; dropped otherwise
};

struct TaskSpec {
  const char* name = nullptr;  // null: no task has this code
  TaskWhen when = TaskWhen::Connected;
  bool waitDialog = false;         // close the generic wait dialog after it
  std::function<void()> run;       // worker thread
  std::function<void()> epilogue;  // UI thread, after the task ran or was dropped
};

class TaskTable {
 public:
  void Set(int code, TaskSpec spec);
  // The spec of a code; null for codes without a task (10, 21, 28, and any unknown code).
  const TaskSpec* Find(int code) const;
  TaskSpec* FindMutable(int code);

 private:
  std::array<TaskSpec, task::kLastCode + 1> specs_;
};

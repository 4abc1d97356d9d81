#include "core/TaskTable.h"

TaskTable::TaskTable() {
  for (int code = task::kFirstCode; code <= task::kLastCode; ++code) {
    if (const std::optional<task::Traits> traits = task::TraitsOf(code)) {
      specs_[static_cast<std::size_t>(code)] =
          TaskSpec{traits->name, traits->when, traits->waitDialog, {}, {}};
    }
  }
}

void TaskTable::SetRun(int code, std::function<void()> run, std::function<void()> epilogue) {
  TaskSpec* spec = FindMutable(code);
  if (spec == nullptr) return;
  spec->run = std::move(run);
  spec->epilogue = std::move(epilogue);
}

const TaskSpec* TaskTable::Find(int code) const {
  if (code < task::kFirstCode || code > task::kLastCode) return nullptr;
  const TaskSpec& spec = specs_[static_cast<std::size_t>(code)];
  return spec.name == nullptr ? nullptr : &spec;
}

TaskSpec* TaskTable::FindMutable(int code) {
  return const_cast<TaskSpec*>(static_cast<const TaskTable&>(*this).Find(code));
}

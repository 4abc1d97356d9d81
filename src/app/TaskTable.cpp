#include "app/TaskTable.h"

void TaskTable::Set(int code, TaskSpec spec) {
  if (code < task::kFirstCode || code > task::kLastCode) return;
  specs_[static_cast<std::size_t>(code)] = std::move(spec);
}

const TaskSpec* TaskTable::Find(int code) const {
  if (code < task::kFirstCode || code > task::kLastCode) return nullptr;
  const TaskSpec& spec = specs_[static_cast<std::size_t>(code)];
  return spec.name == nullptr ? nullptr : &spec;
}

TaskSpec* TaskTable::FindMutable(int code) {
  return const_cast<TaskSpec*>(static_cast<const TaskTable&>(*this).Find(code));
}

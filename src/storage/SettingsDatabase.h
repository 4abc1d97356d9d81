#pragma once
// The settings database of the selected keyboard model: one SQLite file per model,
// "db/<model>_data_2.db" in the data folder. Every operation is serialised by one recursive
// lock, so the UI thread and the device worker may call them at will; database failures are
// silent and reported only through the results (false, 0 or an empty list).

#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "storage/Records.h"
#include "storage/SQLite.h"

namespace storage {

class SettingsDatabase {
 public:
  using LockGuard = std::unique_lock<std::recursive_mutex>;

  SettingsDatabase() = default;
  SettingsDatabase(const SettingsDatabase&) = delete;
  SettingsDatabase& operator=(const SettingsDatabase&) = delete;
  ~SettingsDatabase();

  // Holds the database lock for a sequence of operations that must not be interleaved with
  // another thread's (look up, then create what is missing). The lock is recursive, so the
  // operations called meanwhile take it again.
  [[nodiscard]] LockGuard Lock();

  // ---- Opening and closing -------------------------------------------------------------
  // The file of a model inside a data folder; empty when the name cannot name a file
  // ("", ".", "..", or containing "/" or a zero byte).
  static std::filesystem::path DatabaseFileOf(const std::filesystem::path& dataFolder,
                                              std::string_view keyboardName);
  // Connects to the model's file, creating it when missing, and makes sure it holds every
  // table and index. A connection to another file is closed first. False (and no connection)
  // when the file cannot be opened or completed.
  bool OpenForKeyboard(const std::filesystem::path& dataFolder, std::string_view keyboardName);
  // Creates and completes the file of the last OpenForKeyboard when no connection is held;
  // true at once when one is. A file that cannot be completed is closed again.
  bool CreateSchema();
  // Selecting another keyboard model: closes the current file, opens the model's own and
  // remembers the model identifier.
  bool SwitchKeyboardModel(const std::filesystem::path& dataFolder, std::string_view keyboardName,
                           int modelId);
  bool Close();
  bool IsOpen() const;
  // The result of the last OpenForKeyboard.
  bool IsOpened() const;
  // The file of the last OpenForKeyboard (empty for an unusable model name).
  std::filesystem::path Path() const;
  // A file that could not be opened or completed is set aside under a new name with a time
  // stamp (never deleted) and a fresh one created in its place; where it went, once.
  std::filesystem::path TakeSetAsideFile();
  // Whoever must hear of a change that did not reach the file (see SQLiteDB).
  void SetWriteFailureHandler(SQLiteDB::WriteFailureHandler handler);
  int CurrentKeyboardModel() const;

  // ---- Configuration values (one row per key and profile) -------------------------------
  // Changes an existing row only; a key without a row is not created (still true).
  [[nodiscard]] bool SetConfigValue(int profile, std::string_view key, std::string_view value);
  // `value` is emptied first; false when the profile has no such key.
  bool GetConfigValue(int profile, std::string_view key, std::string& value);
  // The 33 default rows of a new profile, stored together; false stores none.
  [[nodiscard]] bool WriteDefaultConfig(int profile);

  // ---- Profiles ---------------------------------------------------------------------------
  // Adds the profile with status 0 and type 0 together with its music layer and custom light
  // (all named "Profile"); the new identifier, or 0 when any of the three rows failed.
  [[nodiscard]] int AddProfile(const ProfileRecord& record);
  // A whole new profile: the profile with its companions, its default configuration and the
  // given key rows (their profile is set to the new one), all or nothing. The new identifier,
  // or 0 when anything failed.
  [[nodiscard]] int AddCompleteProfile(const ProfileRecord& record,
                                       const std::vector<KeyAssignmentRecord>& rows);
  // The profile and every row it owns (configuration, keys, lighting, music and aurora
  // layers) go together; the shared macros and screen media stay.
  [[nodiscard]] bool DeleteProfile(int profile);
  [[nodiscard]] bool RenameProfile(int profile, std::string_view name);
  bool GetProfileName(int profile, std::string& name);
  int ListProfiles(std::vector<ProfileRecord>& profiles);
  // Exactly this profile becomes active (none when it does not exist).
  [[nodiscard]] bool SetActiveProfile(int profile);
  // 0 when no profile is active.
  int GetActiveProfile();

  // ---- Music layers (one per profile, same identifier as its profile) -------------------
  [[nodiscard]] int AddMusicLayer(int profile, std::string_view name);
  bool GetMusicLayer(int layerId, MusicLayerRecord& layer);
  [[nodiscard]] bool UpdateMusicLayer(int layerId, const MusicLayerRecord& layer);

  // ---- Key assignments --------------------------------------------------------------------
  // Whether SaveKeyAssignment keeps a row for a key: it has a code and is not back at its
  // default (macro_value and macro_value2 both 0).
  static bool KeepsKeyRow(const KeyAssignmentRecord& record);
  int CountKeyAssignments(int profile);
  // Replaces the key's row; a key with macro_value and macro_value2 both 0 keeps no row.
  // The new row identifier, or 0 (key_code 0, key reset, or failure: the old row stays).
  [[nodiscard]] int SaveKeyAssignment(const KeyAssignmentRecord& record);
  // Inserts without deleting, in one transaction; for profiles that have no rows yet. False
  // stores none.
  [[nodiscard]] bool InsertKeyAssignments(const std::vector<KeyAssignmentRecord>& records);
  [[nodiscard]] bool UpdateKeyAssignment(const KeyAssignmentRecord& record);
  [[nodiscard]] bool UpdateKeyAssignments(const std::vector<KeyAssignmentRecord>& records);
  bool GetKeyAssignment(int profile, int fnLayer, int keyCode, KeyAssignmentRecord& record);
  int ListKeyAssignmentsOfLayer(int profile, int fnLayer, std::vector<KeyAssignmentRecord>& list);
  int ListKeyAssignmentsOfProfile(int profile, std::vector<KeyAssignmentRecord>& list);
  int ListAllKeyAssignments(std::vector<KeyAssignmentRecord>& list);

  // ---- Light settings (per profile, effect type and mode) -------------------------------
  int CountLightSettings(int profile);
  int CountLightSettingsOfType(int profile, int type);
  [[nodiscard]] int AddLightSetting(const LightSettingRecord& record);
  // Inserts every record in one transaction; false stores none.
  [[nodiscard]] bool AddLightSettings(const std::vector<LightSettingRecord>& records);
  // Changes brightness to reserved of the row of (record.profile, type, mode).
  [[nodiscard]] bool UpdateLightSetting(int type, int mode, const LightSettingRecord& record);
  // The mode becomes the only active one of its profile and type. A mode without a row changes
  // nothing (false): the flags of the type stay as they were.
  [[nodiscard]] bool SetActiveLightMode(int profile, int type, int mode);
  int GetActiveLightMode(int profile, int type);
  bool GetLightSetting(int profile, int type, int mode, LightSettingRecord& record);
  int ListLightSettings(int profile, int type, std::vector<LightSettingRecord>& list);

  // ---- Per-key user-light colours ---------------------------------------------------------
  // Returns the number of records given.
  [[nodiscard]] int InsertUserLightColors(const std::vector<UserLightColorRecord>& records);
  [[nodiscard]] bool DeleteUserLightColors(int profile, int userlightId);
  // The slot's rows replaced by `records` in one transaction; false keeps the old rows.
  [[nodiscard]] bool ReplaceUserLightColors(int profile, int userlightId,
                                            const std::vector<UserLightColorRecord>& records);
  int ListUserLightColors(int profile, int userlightId, std::vector<UserLightColorRecord>& list);

  // ---- Custom light (one row per profile, written with the profile) ---------------------
  [[nodiscard]] int AddCustomLight(int profile, std::string_view name);

  // ---- Macros (shared by all profiles) and their steps ----------------------------------
  [[nodiscard]] int AddMacro(std::string_view name);
  [[nodiscard]] bool RenameMacro(int macroId, std::string_view name);
  // Removes the macro and its steps together; false keeps both.
  [[nodiscard]] bool DeleteMacro(int macroId);
  bool GetMacro(int macroId, MacroRecord& macro);
  [[nodiscard]] bool UpdateMacro(int macroId, const MacroRecord& macro);
  int ListMacros(std::vector<MacroRecord>& list);
  [[nodiscard]] bool InsertMacroSteps(const std::vector<MacroStepRecord>& steps);
  // The macro's steps become `steps` (their macro and position set from the list) in one
  // transaction; false keeps the old steps.
  [[nodiscard]] bool ReplaceMacroSteps(int macroId, const std::vector<MacroStepRecord>& steps);
  // A new macro with the record's name and settings and its steps, all or nothing; the new
  // identifier, or 0.
  [[nodiscard]] int AddMacroWithSteps(const MacroRecord& macro,
                                      const std::vector<MacroStepRecord>& steps);
  // Ordered by record_index.
  int ListMacroSteps(int macroId, std::vector<MacroStepRecord>& list);
  [[nodiscard]] bool DeleteMacroSteps(int macroId);
  int CountMacroSteps(int macroId);
  int CountAllMacroSteps();

  // ---- Screen images and screen-media layers (shared: always profile 1) -----------------
  [[nodiscard]] int AddScreenImage(int frameSize, std::string_view fileName);
  [[nodiscard]] bool UpdateScreenImage(int tftId, int frameSize, std::string_view fileName);
  int ListScreenImages(std::vector<ScreenImageRecord>& list);
  [[nodiscard]] int AddLedLayer(int profile, std::string_view name);
  [[nodiscard]] bool SetLedLayerFrameCount(int ledId, int frameSize);
  [[nodiscard]] bool SetLedLayerFirstFile(int ledId, std::string_view firstFile);
  // Removes the layer and its frames (the frames also when the layer row is already gone);
  // the result tells whether the layer delete succeeded.
  [[nodiscard]] bool DeleteLedLayer(int ledId);
  bool GetLedLayer(int ledId, LedLayerRecord& layer);
  int ListLedLayers(std::vector<LedLayerRecord>& list);
  // Returns the number of records given.
  [[nodiscard]] int InsertLedFrames(const std::vector<LedFrameRecord>& frames);
  [[nodiscard]] bool DeleteLedFrames(int ledId);
  // Ordered by frame_index.
  int ListLedFrames(int ledId, std::vector<LedFrameRecord>& list);
  int CountLedFrames(int ledId);
  // The layer's frames replaced by `frames` (in list order: frame_index is the position, the
  // records' own led_id and index are ignored), with its frame count and first file set to
  // match, all in one transaction; false keeps the old rows.
  [[nodiscard]] bool ReplaceLedFrames(int ledId, const std::vector<LedFrameRecord>& frames);

  // ---- Factory reset ----------------------------------------------------------------------
  // Empties profiles, configuration, key assignments and lighting in one transaction;
  // macros, macro steps and screen media stay, and identifiers are never reused.
  [[nodiscard]] bool ClearAllData();

 private:
  bool OpenLocked(const std::filesystem::path& dataFolder, std::string_view keyboardName);
  bool OpenAndCompleteLocked(int flags);
  bool SetAsideLocked();
  bool RunSchemaLocked();

  mutable std::recursive_mutex mutex_;
  SQLiteDB connection_;
  std::filesystem::path path_;
  std::filesystem::path setAside_;
  int keyboardModel_ = 0;
  bool opened_ = false;
};

}  // namespace storage

// SPDX-License-Identifier: GPL-3.0-or-later
// The document sequences an application framework supplies: new, open, save, save as, the
// save-changes question before New, Open and exit, failed open and save messages, and the
// recent-file list. UI-free: every question goes through the prompt layer.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/prompt.h"

namespace rondel {

// How reading a file into the document went.
enum class ReadOutcome {
  Read,        // the document holds the file
  CannotOpen,  // the framework reports it; the document is as it was
  Refused,     // not a file of ours: the document has said so and is as it was
};

// How an open ended.
enum class OpenOutcome { Opened, Cancelled, CannotOpen, Refused };

// The framework's side of a document (what a document class overrides).
class CDocument {
 public:
  virtual ~CDocument() = default;

  // Empties the document (before a new document and before reading a file).
  virtual void DeleteContents() = 0;
  // The new-document step; the base version empties the document and clears path and
  // modified flag. Returns false when the step failed (the new sequence then stops).
  virtual bool OnNewDocument();
  // Reads the file into the document. Unless it answers Read, the document is left as it was
  // and the file is not the document's.
  virtual ReadOutcome ReadFile(const std::string& path) = 0;
  // Writes the document. False: the file could not be written.
  virtual bool WriteFile(const std::string& path) = 0;

  virtual bool IsModified() const = 0;
  virtual void SetModifiedFlag(bool modified) = 0;

  const std::string& GetPathName() const { return m_pathName; }
  const std::string& GetTitle() const { return m_title; }
  void SetPathName(const std::string& path);  // also sets the title to the file's name
  void ClearPathName();                       // title becomes the default one
  void SetTitleToDefault() {
    m_title = kDefaultTitle;
    NotifyStateChanged();
  }

  // The update hook: every view refreshes itself from the document.
  std::function<void()> onUpdateAllViews;
  void UpdateAllViews() {
    if (onUpdateAllViews) onUpdateAllViews();
  }
  // Told whenever the path, the title or the modified flag may have changed (a status pane,
  // the state of Undo and Redo).
  std::function<void()> onStateChanged;
  void NotifyStateChanged() {
    if (onStateChanged) onStateChanged();
  }

 private:
  std::string m_pathName;
  std::string m_title;
  static constexpr const char* kDefaultTitle = "Item";
};

// Where the recent-file list is kept between runs; the desktop program keeps it per user.
class RecentFileStore {
 public:
  virtual ~RecentFileStore() = default;
  virtual std::vector<std::string> Load() = 0;
  virtual void Save(const std::vector<std::string>& paths) = 0;
};

// Most recent first, no duplicates, at most `capacity` entries; written through at once.
class CRecentFileList {
 public:
  CRecentFileList(RecentFileStore& store, std::size_t capacity = 4);
  void Add(const std::string& path);
  void Remove(const std::string& path);
  std::vector<std::string> Entries() const;

 private:
  RecentFileStore& m_store;
  std::size_t m_capacity;
};

// Texts of the framework's own messages, looked up by key (the program's language file).
using TextLookup = std::function<std::string(std::string_view key)>;

struct DocTemplateStrings {
  std::string filterName = "Radio Program Data Files(*.dig)";
  std::string extension = ".dig";
};

// The framework sequences for one single-document window.
class CDocFrame {
 public:
  CDocFrame(CDocument& doc, CRecentFileList& recent, TextLookup texts,
            DocTemplateStrings strings = {});

  // File New: the save-changes question, then the document's new-document step; on success
  // the default title, modified flag cleared, views updated. The path is the step's business.
  bool OnFileNew();
  // The framework's open of a named file: the save-changes question, read, take path and
  // title, clear the modified flag, add to the recent files, update the views. A file that
  // cannot be opened is reported; neither it nor a refused file becomes the document's file
  // or stays in the recent files, and the document is left as it was.
  OpenOutcome OpenDocumentFile(const std::string& path);
  // The open dialog, starting in the folder of the document's file; nothing when the user
  // cancelled.
  std::optional<std::string> PromptFileToOpen();
  // Save to the document's path, or through the save-as dialog when it has none.
  bool DoFileSave();
  // Save under `path`, or ask for a name when it is empty; `replace` makes the name the
  // document's path.
  bool DoSave(const std::string& path, bool replace = true);
  bool OnFileSaveAs() { return DoSave(std::string(), true); }
  // The save-changes question when the document is modified: Yes saves, No goes on, Cancel
  // (or a failed save) stops. True when the caller may go on.
  bool SaveModified();
  // Exit: true when the window may close.
  bool CanCloseFrame() { return SaveModified(); }

  CRecentFileList& RecentFiles() { return m_recent; }

 private:
  CDocument& m_doc;
  CRecentFileList& m_recent;
  TextLookup m_texts;
  DocTemplateStrings m_strings;
};

}  // namespace rondel

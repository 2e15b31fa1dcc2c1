// SPDX-License-Identifier: GPL-3.0-or-later
// The application's document half, free of any window: the one document, its framework
// sequences, the recent-file list, and the open override every route to a data file goes
// through.
#pragma once

#include <string>

#include "core/rondel_doc.h"
#include "platform/docframe.h"
#include "shell/document/rondel_document.h"
#include "shell/settings.h"

namespace rondel {

class CRondelAppCore {
 public:
  CRondelAppCore(const std::string& iniPath, RecentFileStore& recentStore);
  CRondelAppCore(const CRondelAppCore&) = delete;
  CRondelAppCore& operator=(const CRondelAppCore&) = delete;

  // Start-up: the first document is made without the clear question, from the file named on
  // the command line when there is one. False when that file could not be opened; a file
  // refused by its header leaves the new document and the program starts with it.
  bool Start(const std::string& commandLineFile = {});

  // Every route that opens a data file: menu Open, recent files, dropped files, command line.
  // Always loads into a freshly reset document; true when the file became the document's.
  bool OpenDocumentFile(const std::string& path) { return Open(path) == OpenOutcome::Opened; }
  OpenOutcome Open(const std::string& path);
  // A backup opened as a new, unnamed document holding its bytes: opened as any data file
  // (the save question first), then no longer that file's, and not among the recent files,
  // so Save asks for a name and the backup itself is never written over.
  OpenOutcome OpenBackup(const std::string& path);

  bool OnFileNew() { return m_frame.OnFileNew(); }
  bool OnFileOpen();
  bool OnFileSave() { return m_document.OnFileSave(m_frame); }
  bool OnFileSaveAs() { return m_frame.OnFileSaveAs(); }
  bool OnOpenRecentFile(std::size_t index);
  bool CanExit() { return m_frame.CanCloseFrame(); }

  CSettings& Settings() { return m_settings; }
  CRondelDoc& Doc() { return m_doc; }
  CRondelDocument& Document() { return m_document; }
  CDocFrame& Frame() { return m_frame; }
  CRecentFileList& RecentFiles() { return m_recent; }

 private:
  CSettings m_settings;
  CRondelDoc m_doc;
  CRondelDocument m_document;
  CRecentFileList m_recent;
  CDocFrame m_frame;
};

}  // namespace rondel

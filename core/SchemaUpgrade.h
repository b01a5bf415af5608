#pragma once
// Brings the tables, columns and views of the database up to this program
// version; writes the version stamp last. Every step is guarded and can run again.
#include <QString>

class TStartupProgress;

void UpgradeSchema(TStartupProgress* splash);
// The KSeF-era column additions; called by UpgradeSchema.
void UpgradeKsefSchema(TStartupProgress* splash = nullptr);
// Drops the views (only views) whose names begin with "v".
void DropViews();
// Creates the views in their order (after DropViews, or over existing ones).
void RebuildViews(TStartupProgress* splash = nullptr);
// The history triggers of the device and payment tables.
void CreateHistoryTriggers();
// vUserdb's vU_Aktywny over Userdb's own columns: '1' for a subscriber active
// today, else '0'. A statement for one subscriber reads Userdb with it; the
// view is parsed anew by every statement that names it.
QString UserActiveSql();

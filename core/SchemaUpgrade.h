#pragma once
// Brings the tables, columns and views of the database up to this program
// version; writes the version stamp last. Every step is guarded and can run again.
class TFormLogo;

void UpgradeSchema(TFormLogo* splash);
// Drops the views (only views) and creates them again in their order.
void RebuildViews();
// The history triggers of the device, payment and subscriber tables.
void CreateHistoryTriggers();

#pragma once
// Balances and arrears flags of subscribers: one set-based statement over
// Userdb (for one subscriber or all), the per-subscriber cache UserdbAdd and
// the companies' contract totals.
class TDedicatedSession;

// The two global settings the balance statement takes.
struct TSaldoSettings
{
    int blokady = 14;      // days overdue that set the block flag
    int powiadomienia = 7; // days before blocking that set the notice flag
};
// Blokady and Powiadomienia through the settings store (shared session).
TSaldoSettings ReadSaldoSettings();

// The balance statement for one subscriber (userIndex > 0) or all (0).
void RecalcUserSaldo(int userIndex);
// RecalcUserSaldo, then the cache UserdbAdd.
void RecalcUserSaldoAndCache(int userIndex);
// All balances and caches, then the companies' contract totals; a timing row "Saldo bazy".
void RecalcSaldoBazy();

// The building blocks, on any session (the balance thread runs them on its own).
void RunSaldoStatement(TDedicatedSession* session, int userIndex, const TSaldoSettings& settings);
// For all subscribers the cache is emptied with TRUNCATE only when allowTruncate
// and no transaction is open, else with DELETE.
void RunUserCacheStatements(TDedicatedSession* session, int userIndex, bool allowTruncate);

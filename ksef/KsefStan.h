#pragma once
// The process-wide state of the KSeF operations: the factory, the client
// opened last with its certificate and HTTP client, the gateway type in force,
// the link builder and XSLT objects, the references of the last sessions and
// batch. One object, released at program end (and by tests between cases).
#include "ksef/KsefResults.h"

#include <QSet>
#include <QString>
#include <memory>
#include <vector>

class TKsefBackend;
class TKsefCertificate;
class TKsefCertificateSigner;
class TKsefClient;
class TKsefHttpClient;
class TKsefLinkBuilder;
class TKsefXades;
class TKsefXslTransformation;

// How long the operations wait for KSeF's in-progress states: pauses (ms)
// between questions, the last one doubling, until the budget (ms) is spent.
struct TKsefWaits
{
    std::vector<int> AuthPauses{150, 150, 800};
    int AuthBudgetMs = 30000;
    std::vector<int> StatusPauses{0, 500, 1000};
    int StatusBudgetMs = 30000;
    std::vector<int> SessionPauses{0, 500, 1000};
    int SessionBudgetMs = 60000;
};

struct TKsefState
{
    TKsefState();
    ~TKsefState();

    std::unique_ptr<TKsefBackend> Backend;
    std::shared_ptr<TKsefClient> Client;
    std::shared_ptr<TKsefCertificateSigner> Signer;
    std::shared_ptr<TKsefCertificate> Certificate;
    std::shared_ptr<TKsefXades> Xades;
    std::shared_ptr<TKsefHttpClient> Http;
    std::unique_ptr<TKsefLinkBuilder> LinkBuilder;
    std::unique_ptr<TKsefXslTransformation> Xslt;

    int Gateway = 2;   // KSeF_TypBramki read at the last opening
    int CompanyId = 0; // company and mode of the client in place
    int Mode = -1;

    QString OnlineSession; // of the last online send
    TKsefBatch Batch;      // of the last batch send
    TKsefBatchOpening BatchOpening;
    QString BatchSession;

    QSet<QString> WarningsShown; // X-System-Warning texts the operator has seen
    TKsefWaits Waits;
    qint64 BatchPartBytes = 0; // largest part of a package; 0: the API's 100 MB
};

TKsefState& KsefState();
// Drops every object held (program end; tests between cases).
void KsefReleaseState();

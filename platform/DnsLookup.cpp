#include "platform/DnsLookup.h"

#include <ares.h>
#include <arpa/inet.h>
#include <arpa/nameser.h>
#include <mutex>
#include <netdb.h>
#include <sys/select.h>
#include <vector>

namespace {

void ensureAres()
{
    static std::once_flag once;
    std::call_once(once, [] { ares_library_init(ARES_LIB_INIT_ALL); });
}

struct TAnswer
{
    int* pending = nullptr;
    QString address;
};

void onAnswer(void* arg, int status, int, unsigned char* abuf, int alen)
{
    auto* answer = static_cast<TAnswer*>(arg);
    --*answer->pending;
    if (status != ARES_SUCCESS || !abuf) return;
    ares_addrttl addrs[32];
    int count = 32;
    if (ares_parse_a_reply(abuf, alen, nullptr, addrs, &count) != ARES_SUCCESS || count <= 0) return;
    char text[INET_ADDRSTRLEN] = {};
    if (inet_ntop(AF_INET, &addrs[count - 1].ipaddr, text, sizeof text))
        answer->address = QString::fromLatin1(text);
}

// Questions in flight at once on the channel.
constexpr int kWindow = 64;

} // namespace

QStringList LookupARecords(const QStringList& names, const TDnsServer& server, int timeoutMs, int tries)
{
    QStringList out;
    for (qsizetype i = 0; i < names.size(); ++i)
        out << QString();
    if (names.isEmpty()) return out;
    ensureAres();
    ares_options options{};
    options.timeout = qMax(1, timeoutMs);
    options.tries = qMax(1, tries);
    options.flags = ARES_FLAG_NOSEARCH | ARES_FLAG_NOALIASES;
    ares_channel channel = nullptr;
    if (ares_init_options(&channel, &options, ARES_OPT_TIMEOUTMS | ARES_OPT_TRIES | ARES_OPT_FLAGS) !=
        ARES_SUCCESS)
        return out;
    ares_addr_port_node node{};
    node.next = nullptr;
    node.family = AF_INET;
    node.udp_port = server.Port;
    node.tcp_port = server.Port;
    if (inet_pton(AF_INET, server.Host.toLatin1().constData(), &node.addr.addr4) != 1 ||
        ares_set_servers_ports(channel, &node) != ARES_SUCCESS) {
        ares_destroy(channel);
        return out;
    }
    int pending = 0;
    std::vector<TAnswer> answers(size_t(names.size()));
    qsizetype next = 0;
    while (true) {
        while (pending < kWindow && next < names.size()) {
            TAnswer& a = answers[size_t(next)];
            a.pending = &pending;
            const QByteArray host = names[next].toUtf8();
            ++next;
            if (host.isEmpty()) continue;
            ++pending;
            ares_query(channel, host.constData(), C_IN, T_A, &onAnswer, &a);
        }
        if (pending == 0 && next >= names.size()) break;
        fd_set readers, writers;
        FD_ZERO(&readers);
        FD_ZERO(&writers);
        const int nfds = ares_fds(channel, &readers, &writers);
        if (nfds == 0 && pending > 0) {
            // Nothing to wait on: let the library finish what it can.
            ares_process(channel, nullptr, nullptr);
            if (pending > 0) break;
            continue;
        }
        timeval tv{};
        timeval* wait = ares_timeout(channel, nullptr, &tv);
        select(nfds, &readers, &writers, nullptr, wait);
        ares_process(channel, &readers, &writers);
    }
    ares_destroy(channel);
    for (qsizetype i = 0; i < names.size(); ++i)
        out[i] = answers[size_t(i)].address;
    return out;
}

QString LookupARecord(const QString& name, const TDnsServer& server, int timeoutMs, int tries)
{
    return LookupARecords({name}, server, timeoutMs, tries).value(0);
}

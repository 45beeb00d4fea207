#include "support/fake_port.h"

#include "link/port.h"

char port_name[8] = "COM1";

std::vector<std::string> fake_writes;
std::vector<fake_read> fake_reads;
std::vector<int> fake_replies;
int fake_ack_rest;
int fake_fail_write;
int fake_closes;
int fake_open_result;

namespace {

size_t next_reply;

} // namespace

void fake_reset()
{
    fake_writes.clear();
    fake_reads.clear();
    fake_replies.clear();
    fake_ack_rest = 0;
    fake_fail_write = 0;
    fake_closes = 0;
    fake_open_result = 0;
    next_reply = 0;
}

int write_port(const char *, const void *bytes, int count)
{
    if (fake_fail_write == static_cast<int>(fake_writes.size()) + 1) {
        fake_writes.emplace_back();
        return -3;
    }
    fake_writes.emplace_back(static_cast<const char *>(bytes), static_cast<size_t>(count));
    return count;
}

int read_port(const char *, void *buf, int size, int timeout_ms)
{
    fake_reads.push_back({size, timeout_ms});
    if (size != 1) // the drain read
        return 0;
    int reply;
    if (next_reply < fake_replies.size())
        reply = fake_replies[next_reply++];
    else
        reply = fake_ack_rest ? 0x06 : -1;
    if (reply < 0)
        return 0;
    *static_cast<unsigned char *>(buf) = static_cast<unsigned char>(reply);
    return 1;
}

int open_port(const char *, int) { return fake_open_result; }
void close_port() { fake_closes++; }
void purge_port() {}

// fiskon-mdb-reader DATABASE [TABLE...]
//
// Opens a Płatnik (Jet 4) database read-only, checks the database password read from standard
// input (all of it, unparsed, UTF-8), and streams the named tables to standard output in the
// frames of MdbStreamFormat.h. Text comes out in code page 1250 ("?" for characters it lacks),
// dates as yyyy-mm-dd, NULL as empty text.

#include "TableStreamer.h"
#include "import/JetHeader.h"
#include "import/MdbStreamFormat.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using mdbstream::MdbFailure;

constexpr std::size_t kMaxPasswordInput = 4096;

std::string ReadPassword() {
    std::string password;
    char chunk[512];
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        if (password.size() < kMaxPasswordInput) password.append(chunk, static_cast<std::size_t>(got));
    }
    return password;
}

int Fail(FrameWriter& out, MdbFailure failure, const std::string& detail) {
    std::string payload(1, static_cast<char>(failure));
    payload += detail;
    mdbstream::appendFrame(out.buffer(), mdbstream::kFailure, payload);
    out.flush();
    return 2;
}

// Reads up to one page from the start of the file.
std::string ReadHeaderPage(int fd) {
    std::string page(jet::kPageSize, '\0');
    std::size_t got = 0;
    while (got < page.size()) {
        const ssize_t n = ::read(fd, page.data() + got, page.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    page.resize(got);
    return page;
}

// Checks the file before libmdb sees it; returns 0 when it may be opened.
int CheckFile(const char* path, const std::string& password, FrameWriter& out) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return Fail(out, MdbFailure::Unreadable, std::strerror(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        const std::string reason = S_ISDIR(info.st_mode) ? std::strerror(EISDIR) : std::strerror(errno);
        ::close(fd);
        return Fail(out, MdbFailure::Unreadable, reason);
    }
    errno = 0;
    const std::string page = ReadHeaderPage(fd);
    const int readError = errno;
    ::close(fd);
    if (page.empty() && readError != 0 && readError != EAGAIN)
        return Fail(out, MdbFailure::Unreadable, std::strerror(readError));

    const jet::HeaderKind kind = jet::ClassifyHeader(page);
    if (kind != jet::HeaderKind::Jet4 || !S_ISREG(info.st_mode))
        return Fail(out, MdbFailure::NotADatabase, {});
    if (page.size() < jet::kPageSize) return Fail(out, MdbFailure::Truncated, {});
    if (!jet::PasswordMatches(page, password)) return Fail(out, MdbFailure::WrongPassword, {});
    const auto size = static_cast<unsigned long long>(info.st_size);
    if (size % jet::kPageSize != 0 || size < 3 * jet::kPageSize) return Fail(out, MdbFailure::Truncated, {});
    return 0;
}

struct TableRequest {
    std::string name;
    std::vector<std::string> columns;  // empty: every column
};

// "NAME" or "NAME=COLUMN,COLUMN,...".
TableRequest ParseTableRequest(const std::string& argument) {
    TableRequest request;
    const std::size_t equals = argument.find(mdbstream::kColumnsFollow);
    request.name = argument.substr(0, equals);
    if (equals == std::string::npos) return request;
    std::size_t at = equals + 1;
    while (at <= argument.size()) {
        std::size_t comma = argument.find(mdbstream::kColumnSeparator, at);
        if (comma == std::string::npos) comma = argument.size();
        if (comma > at) request.columns.push_back(argument.substr(at, comma - at));
        at = comma + 1;
    }
    return request;
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    FrameWriter out;
    mdbstream::appendFrame(out.buffer(), mdbstream::kHello, mdbstream::kMagic);
    const std::string password = ReadPassword();
    if (argc < 2) return Fail(out, MdbFailure::Internal, "usage: fiskon-mdb-reader DATABASE [TABLE...]");

    // libmdb converts text to the charset named here when it opens the file.
    ::setenv("MDBICONV", "CP1250", 1);
    const char* path = argv[1];
    if (const int failed = CheckFile(path, password, out)) return failed;

    MdbHandle* mdb = mdb_open(path, MDB_NOFLAGS);
    if (!mdb) return Fail(out, MdbFailure::Truncated, {});
    mdb_set_date_fmt(mdb, "%Y-%m-%d");
    if (!mdb_read_catalog(mdb, MDB_TABLE)) {
        mdb_close(mdb);
        return Fail(out, MdbFailure::Truncated, {});
    }
    mdbstream::appendFrame(out.buffer(), mdbstream::kOpened, {});

    for (int i = 2; i < argc; ++i) {
        const TableRequest request = ParseTableRequest(argv[i]);
        MdbTableDef* table = mdb_read_table_by_name(mdb, const_cast<char*>(request.name.c_str()), MDB_TABLE);
        if (!table) {
            mdb_close(mdb);
            return Fail(out, MdbFailure::MissingTable, request.name);
        }
        bool complete = false;
        const bool sent = StreamTable(table, request.columns, out, complete);
        mdb_free_tabledef(table);
        if (!sent) {
            mdb_close(mdb);
            return 3;
        }
        if (!complete) {
            mdb_close(mdb);
            return Fail(out, MdbFailure::DamagedTable, request.name);
        }
    }
    mdb_close(mdb);
    mdbstream::appendFrame(out.buffer(), mdbstream::kEnd, {});
    return out.flush() ? 0 : 3;
}

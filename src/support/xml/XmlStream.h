#pragma once

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>

// Failure of a file or stream operation; the message is the text shown to the user.
class EStreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file that could not be opened for reading.
class EFOpenError : public EStreamError {
public:
    explicit EFOpenError(const std::string& path) : EStreamError("Cannot open file " + path) {}
};

// A file that could not be created or replaced.
class EFCreateError : public EStreamError {
public:
    explicit EFCreateError(const std::string& path) : EStreamError("Cannot create file " + path) {}
};

// A write that failed or stored fewer bytes than it was given.
class EWriteError : public EStreamError {
public:
    EWriteError() : EStreamError("Stream write error") {}
};

// Seekable byte stream: the XML layer reads from and writes to one of these.
class TStream {
public:
    virtual ~TStream() = default;
    // Reads up to count bytes at the position; returns how many were read.
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    // Writes count bytes at the position; returns how many were written.
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    virtual std::uint64_t Position() const = 0;
    virtual void SetPosition(std::uint64_t position) = 0;
    virtual std::uint64_t Size() const = 0;

    // Reads everything from the position to the end and leaves the position at the end.
    virtual std::string ReadRemaining();
    // Writes all bytes or raises EWriteError.
    void WriteAll(std::string_view bytes);
};

// Stream over a byte string held in memory; writing past the end grows it.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::string bytes) : FBytes(std::move(bytes)) {}

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::uint64_t Position() const override { return FPosition; }
    void SetPosition(std::uint64_t position) override;
    std::uint64_t Size() const override { return FBytes.size(); }
    std::string ReadRemaining() override;

    const std::string& Bytes() const { return FBytes; }
    // The bytes from the position to the end, without copying them.
    std::string_view Remaining() const;
    void Clear();

private:
    std::string FBytes;
    std::size_t FPosition = 0;
};

// Stream over an open file.
class TFileStream : public TStream {
public:
    enum class Mode { OpenRead, Create, OpenReadWrite };

    // Raises EFOpenError (reading modes) or EFCreateError (Create) on failure.
    TFileStream(const std::string& path, Mode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::uint64_t Position() const override;
    void SetPosition(std::uint64_t position) override;
    std::uint64_t Size() const override;

private:
    std::FILE* FFile = nullptr;
};

// Reads a whole file; raises EFOpenError when it cannot be opened or read.
std::string ReadWholeFile(const std::string& path);

// Replaces the file at path by bytes: writes a temporary file in the same folder, then renames
// it over the target, so a failure (raised as EStreamError) leaves the old file as it was.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

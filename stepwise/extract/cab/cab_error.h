// The cabinet library's one error type. Two severities: data errors spoil one folder's
// files (a bad checksum, undecodable data) and extraction goes on with the next folder;
// every other error stops the operation.
#pragma once

#include <string>

namespace cab {

enum class CabErrc {
    Ok = 0,
    Io,                  // the byte source failed to read
    NotACabinet,         // no "MSCF" signature, or too short to hold a header
    UnsupportedVersion,  // not version 1.3
    Corrupt,             // a field out of bounds, truncated data, inconsistent tables
    Checksum,            // a data block's stored checksum does not match (data error)
    UnsupportedMethod,   // compression method or parameters this decoder does not know
    DecodeFailed,        // compressed data that does not decode (data error)
    UnsafeName,          // a stored name that would leave the extraction folder
    MissingCabinet,      // the next cabinet of a chain could not be found
    WrongCabinet,        // the next cabinet does not continue this one
    WriteFailed,         // a sink refused the bytes
    Aborted,             // the caller asked to stop
};

struct CabError {
    CabErrc code = CabErrc::Ok;
    std::string message;  // one sentence naming what went wrong and where

    bool ok() const { return code == CabErrc::Ok; }
    explicit operator bool() const { return !ok(); }  // true when failed
    // Data errors spoil one folder; the rest of the cabinet can still be read.
    bool IsDataError() const { return code == CabErrc::Checksum || code == CabErrc::DecodeFailed; }
};

inline CabError MakeError(CabErrc code, std::string message) {
    return CabError{code, std::move(message)};
}

// A short name for the code ("corrupt cabinet", "bad checksum", ...), for messages.
const char* CabErrcName(CabErrc code);

}  // namespace cab

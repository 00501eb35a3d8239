// The cabinet library's one error type. How far an error reaches decides whether extracting
// a cabinet goes on:
// - folder errors spoil one folder's remaining files and extraction goes on with the next
//   folder: a bad checksum, undecodable data, inconsistent or truncated data blocks, a
//   compression method this decoder lacks (folders are decoded independently);
// - file errors spoil one file: a sink that refused bytes, a file that needs a cabinet
//   before the first one opened;
// - every other error stops the operation: a failing read (the medium is going away, and
//   reading on would only pile up failures), a missing or wrong next cabinet, an abort.
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
    // Data errors: the stored data does not check or decode.
    bool IsDataError() const { return code == CabErrc::Checksum || code == CabErrc::DecodeFailed; }
    // Errors met while decoding a folder that leave the other folders readable.
    bool SpoilsOnlyItsFolder() const {
        return IsDataError() || code == CabErrc::Corrupt || code == CabErrc::UnsupportedMethod ||
               code == CabErrc::WriteFailed;
    }
};

inline CabError MakeError(CabErrc code, std::string message) {
    return CabError{code, std::move(message)};
}

// A short name for the code ("corrupt cabinet", "bad checksum", ...), for messages.
const char* CabErrcName(CabErrc code);

}  // namespace cab

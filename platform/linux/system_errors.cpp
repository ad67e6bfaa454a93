#include "linux/system_errors.h"

#include <cerrno>

#include "platform/platform.h"
#include "platform/wire.h"

namespace platform::linux_backend {

std::uint32_t OpenErrorFromErrno(int error) {
  switch (error) {
    case EBUSY:
      return 32;  // sharing violation
    case EACCES:
    case EPERM:
    case EROFS:
    case ENOMEDIUM:
    case ENOMEM:
      return IoErrorFromErrno(error);
    default:
      return kErrorFileNotFound;  // ENOENT, ENODEV, ENXIO: no such device
  }
}

std::uint32_t IoErrorFromErrno(int error) {
  switch (error) {
    case EINVAL:
    case ENOTTY:
    case EOPNOTSUPP:
    case ENOSYS:
      return kErrorInvalidFunction;
    case EACCES:
    case EPERM:
    case EROFS:
      return kErrorAccessDenied;
    case ENOMEDIUM:
      return kErrorNotReady;
    case ETIMEDOUT:
      return kErrorSemTimeout;
    case ENOMEM:
      return kErrorNotEnoughMemory;
    case EFAULT:
      return kErrorInvalidParameter;
    case ENODEV:
    case ENXIO:
      return kErrorGenFailure;
    default:
      return kErrorIoDevice;
  }
}

std::wstring SystemErrorText(std::uint32_t code) {
  switch (code) {
    case kErrorSuccess: return L"The operation completed successfully.";
    case kErrorInvalidFunction: return L"Incorrect function.";
    case kErrorFileNotFound: return L"The system cannot find the file specified.";
    case kErrorPathNotFound: return L"The system cannot find the path specified.";
    case kErrorAccessDenied: return L"Access is denied.";
    case kErrorInvalidHandle: return L"The handle is invalid.";
    case kErrorNotEnoughMemory: return L"Not enough memory resources are available to process this command.";
    case kErrorNotReady: return L"The device is not ready.";
    case kErrorCrc: return L"Data error (cyclic redundancy check).";
    case kErrorGenFailure: return L"A device attached to the system is not functioning.";
    case 32: return L"The process cannot access the file because it is being used by another process.";
    case kErrorNotSupported: return L"The request is not supported.";
    case kErrorInvalidParameter: return L"The parameter is incorrect.";
    case kErrorSemTimeout: return L"The semaphore timeout period has expired.";
    case kErrorInsufficientBuffer: return L"The data area passed to a system call is too small.";
    case wire::kErrorMoreData: return L"More data is available.";
    case kErrorNoMediaInDrive: return L"There is no media in the drive.";
    case kErrorIoDevice: return L"The request could not be performed because of an I/O device error.";
    default: return {};
  }
}

}  // namespace platform::linux_backend

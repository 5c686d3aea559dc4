#include "errortext.h"

#include <QtGlobal>
#include <new>

#include "vintroperror.h"

namespace vintrop {

QString UserTextOf(std::exception_ptr error) {
    try {
        if (error) std::rethrow_exception(error);
    } catch (const VintropError& e) {
        return QString::fromStdString(e.UserText());
    } catch (const std::bad_alloc&) {
        return QString::fromStdString(err::Make(err::OutOfMemory).UserText());
    } catch (const std::exception& e) {
        qWarning("unexpected error: %s", e.what());
    } catch (...) {
        qWarning("unexpected error of unknown type");
    }
    return QString::fromStdString(err::Make(err::InvalidCall).UserText());
}

} // namespace vintrop

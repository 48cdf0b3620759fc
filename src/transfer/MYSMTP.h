#pragma once

#include "transfer/CSmtp.h"

namespace transfer {

// The program's SMTP client for ICM e-mail and the server test.
class MYSMTP : public CSmtp
{
public:
    using CSmtp::CSmtp;
};

} // namespace transfer

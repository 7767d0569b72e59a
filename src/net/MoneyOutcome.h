#pragma once

// How a money operation (a charge, a refund) ended, as the screens show it.
enum class MoneyOutcome {
    Done,    // charged, or refunded
    Refused, // the gateway said no, in its own words; nothing was done
    Unknown, // no answer that can be read: it may have been done, and stays in the journal
    NotSent, // nothing left this machine, and why is said
};

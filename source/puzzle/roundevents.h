#pragma once

#include <string>

// What happens in a round that someone may want to hear or see.
enum RoundEvent {
    // The falling shape moved a column, or turned (only when it did).
    EVENT_SHAPE_MOVED,
    EVENT_SHAPE_TURNED,
    // The falling shape locked into the well.
    EVENT_SHAPE_LANDED,
    // A landing or a settling found full rows.
    EVENT_ROWS_FULL,
    // The flow went a step further (its first included).
    EVENT_FLOW_STEP,
    // The flow closed a cycle.
    EVENT_CYCLE_CLOSED,
    // The well topped out: the round is over.
    EVENT_LOST,
    // A row came from an opponent; later it is pushed in.
    EVENT_ROW_RECEIVED,
    EVENT_ROWS_PUSHED_IN,
};

// One who listens to a round: its console lines (the rules' trace and the
// score lists' notes) and its events. A round tells every listener it was
// given; a round nobody listens to is quiet, and builds no line.
class C_RoundEvents {
public:
    virtual ~C_RoundEvents() = default;
    virtual void Line(const std::string& line) { (void)line; }
    virtual void Happened(RoundEvent event) { (void)event; }
    // False when it takes no lines, so they need not be built for it.
    virtual bool Listening() const { return true; }
};

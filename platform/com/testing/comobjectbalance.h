// A test fixture that checks, after each test, that the allocations of the COM layer
// balance (comallocbalance.h) and that every object of the layer that the test was
// given (storages, streams, enumerators) has been released.
#pragma once

#include "comallocbalance.h"
#include "liveobjects.h"

class ComObjectBalance : public ComAllocBalance {
protected:
    void SetUp() override
    {
        ComAllocBalance::SetUp();
        objectsBefore_ = QelGetLiveComObjects();
    }

    void TearDown() override
    {
        EXPECT_EQ(QelGetLiveComObjects(), objectsBefore_) << "objects of the COM layer not released";
        ComAllocBalance::TearDown();
    }

private:
    LONG objectsBefore_ = 0;
};

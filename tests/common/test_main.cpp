// Entry of every test executable: GoogleTest with wide-character console output left alone.
#include <gtest/gtest.h>

#include <stdio.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    // ctest passes a run only on this line: a program that dies under Wine (a stack overflow in a
    // window procedure, say) can end with an exit code that reads as success, and never prints it.
    if (result == 0)
        printf("\nevery test of this program ran and passed\n");
    fflush(stdout);
    return result;
}

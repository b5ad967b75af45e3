#pragma once

#include <gtest/gtest.h>

#include <exception>
#include <string>

// Runs Action and gives the message of the exception of class E it raised;
// fails the test when it raised none or another class.
template <typename E, typename F>
std::string FailureOf(F&& Action)
{
    try {
        Action();
    } catch (const E& Error) {
        return Error.what();
    } catch (const std::exception& Error) {
        ADD_FAILURE() << "raised another class: " << Error.what();
        return "";
    }
    ADD_FAILURE() << "raised nothing";
    return "";
}

#include "job.h"

#include "fault.h"

namespace tessary {

namespace {
std::string WithError(const std::string& what) { return what + " (error " + std::to_string(GetLastError()) + ")"; }
}  // namespace

JobStart StartInNewJob(const std::string& program, std::string commandLine, bool outputToStandardError) {
  JobStart run;
  run.job.Reset(CreateJobObjectA(nullptr, nullptr));
  run.port.Reset(CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));
  if (!run.job || !run.port) {
    run.error = WithError("cannot create the job object");
    return run;
  }
  JOBOBJECT_ASSOCIATE_COMPLETION_PORT association{};
  association.CompletionKey = run.job.get();
  association.CompletionPort = run.port.get();
  if (!SetInformationJobObject(run.job.get(), JobObjectAssociateCompletionPortInformation, &association,
                               sizeof association)) {
    run.error = WithError("cannot watch the job object");
    return run;
  }

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  const bool redirect = outputToStandardError && error != nullptr && error != INVALID_HANDLE_VALUE;
  if (redirect) {
    for (HANDLE h : {input, error})
      if (h && h != INVALID_HANDLE_VALUE) SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = error;
    startup.hStdError = error;
  }
  PROCESS_INFORMATION info{};
  if (InjectedFault(FileOp::Start, program) ||
      !CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, redirect ? TRUE : FALSE,
                      CREATE_SUSPENDED, nullptr, nullptr, &startup, &info)) {
    run.error = WithError("cannot start " + program);
    return run;
  }
  run.process.Reset(info.hProcess);
  run.thread.Reset(info.hThread);
  run.processId = info.dwProcessId;
  if (!AssignProcessToJobObject(run.job.get(), run.process.get())) {
    run.error = WithError("cannot put " + program + " into a job object");
    TerminateProcess(run.process.get(), 1);
    return run;
  }
  ResumeThread(run.thread.get());
  return run;
}

}  // namespace tessary

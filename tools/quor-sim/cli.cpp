#include "tools/quor-sim/cli.h"

#include <cstdio>
#include <iostream>

#include "sim/ir/builtin_remotes.h"

namespace ovalink::quorsim {

std::vector<Command> Commands() {
  return {
      {"remotes", "remotes", RunRemotes},
      {"keys", "keys --remote R", RunKeys},
      {"signal", "signal --remote R --key NAME [--hold MS] [--presses N] [--pause MS]",
       RunSignal},
      {"capture",
       "capture --remote R --key NAME [--hold MS] [--trains N] [--limit L] [--seed S] "
       "[--ideal] [--hunt middle|end] [--low-line starts|ignored] "
       "[--jitter US] [--drift PCT] [--drop PCT] [--noise PER_S]",
       RunCapture},
      {"demo", "demo [--remote R] [--registry FILE] [--seed N] [receiver options]", RunDemo},
      {"train",
       "train --remote R --key NAME --button N [--registry FILE] [--seed N] [receiver options]",
       RunTrain},
      {"press",
       "press --remote R --key NAME [--hold MS] [--registry FILE] [--seed N] [receiver options]",
       RunPress},
      {"bench",
       "bench --remote R | --all [--seeds N] [--columns default,jitter,drop,drift,noise] | "
       "--dir DIR (every .ir and .conf file in it) [--seeds N]; "
       "[--keys N] [--untrained N] [--presses N] [--seed N] [--ideal] [--hunt middle|end] "
       "[--low-line starts|ignored] [--jitter US] [--drift PCT] [--drop PCT] [--noise PER_S] "
       "[--json]",
       RunBenchCommand},
  };
}

Options::Options(std::string_view command, const std::vector<std::string>& args,
                 const std::vector<OptionSpec>& accepted)
    : command_(command) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
      throw CommandError(command_ + ": unexpected argument '" + arg + "'");
    }
    std::string name = arg.substr(2);
    std::string value;
    const auto eq = name.find('=');
    bool haveValue = false;
    if (eq != std::string::npos) {
      value = name.substr(eq + 1);
      name.resize(eq);
      haveValue = true;
    }
    bool known = false;
    for (const OptionSpec& option : accepted) known |= option.name == name;
    if (!known) throw CommandError(command_ + ": unknown option --" + name);
    if (!haveValue) {
      if (i + 1 >= args.size() || args[i + 1].compare(0, 2, "--") == 0) {
        throw CommandError(command_ + ": --" + name + " needs a value");
      }
      value = args[++i];
    }
    if (!values_.emplace(name, value).second) {
      throw CommandError(command_ + ": --" + name + " given twice");
    }
  }
  for (const OptionSpec& option : accepted) {
    if (option.required && !Has(option.name)) {
      throw CommandError(command_ + ": --" + std::string(option.name) + " is required");
    }
  }
}

const std::string& Options::Text(std::string_view name) const {
  return values_.at(std::string(name));
}

std::int64_t Options::Integer(std::string_view name, std::int64_t fallback, std::int64_t lo,
                              std::int64_t hi) const {
  if (!Has(name)) return fallback;
  const std::string& text = Text(name);
  std::int64_t v = 0;
  bool ok = !text.empty() && text.size() <= 18;
  for (char c : text) {
    ok = ok && c >= '0' && c <= '9';
    if (ok) v = v * 10 + (c - '0');
  }
  if (!ok || v < lo || v > hi) {
    throw CommandError(command_ + ": --" + std::string(name) + " wants a whole number from " +
                       std::to_string(lo) + " to " + std::to_string(hi) + ", not '" + text + "'");
  }
  return v;
}

double Options::Number(std::string_view name, double fallback, double lo, double hi) const {
  if (!Has(name)) return fallback;
  const std::string& text = Text(name);
  // Digits with at most one decimal point: no signs, exponents, "inf" or "nan".
  bool ok = !text.empty() && text.size() <= 20 && text != ".";
  int points = 0;
  for (char c : text) {
    points += c == '.';
    ok = ok && ((c >= '0' && c <= '9') || c == '.');
  }
  ok = ok && points <= 1;
  const double v = ok ? std::stod(text) : 0.0;
  if (!ok || !(v >= lo && v <= hi)) {
    char range[64];
    std::snprintf(range, sizeof range, "%g to %g", lo, hi);
    throw CommandError(command_ + ": --" + std::string(name) + " wants a number from " + range +
                       ", not '" + text + "'");
  }
  return v;
}

std::string RegistryPathOption(const Options& options, const std::string& fallback) {
  if (!options.Has("registry")) return fallback;
  const std::string& path = options.Text("registry");
  if (path.empty()) throw CommandError("--registry needs a file name");
  return path;
}

sim::Remote LoadRemoteFor(const std::string& source) {
  try {
    sim::Remote remote = sim::LoadRemote(source);
    for (const std::string& note : remote.notes) std::cerr << "quor-sim: note: " << note << "\n";
    return remote;
  } catch (const sim::ParseError& e) {
    throw CommandError(e.what());
  }
}

}  // namespace ovalink::quorsim

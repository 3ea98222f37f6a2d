"""What a scenario module gives the runner: its scenarios, in order, and the
way a scenario says it could not run here."""
from dataclasses import dataclass
from typing import Callable


@dataclass(frozen=True)
class Scenario:
    name: str
    function: Callable  # takes the run's context
    # Smoke scenarios also run where every launcher start is slow (an
    # emulated 32-bit run), so keep them few and cheap.
    smoke: bool = False


class Skip(Exception):
    """Raised by a scenario that cannot run here; the reason is printed and
    the scenario is counted as skipped, neither passed nor failed."""


def collector(scenarios):
    """A decorator `scenario(name, smoke=False)` that appends each function it
    decorates to the list `scenarios`, as a Scenario."""
    def scenario(name, smoke=False):
        def add(function):
            scenarios.append(Scenario(name, function, smoke))
            return function
        return add
    return scenario

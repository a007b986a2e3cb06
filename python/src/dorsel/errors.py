"""The component's errors, as Python exceptions."""


class DorselError(Exception):
    """An automation error: its number, source and description, as the component raised it
    (or as the C interface refused a call)."""

    def __init__(self, number, source, description):
        super().__init__(f"{number}: {description} ({source})")
        self.number = number
        self.source = source
        self.description = description

    @classmethod
    def from_answer(cls, error):
        return cls(error.get("number"), error.get("source", ""), error.get("description", ""))
